#pragma once

#include <QWidget>
#include <array>

#include "model/product_module.h"

class QPushButton;

namespace tidewell {

class AppModel;

// The start page: one card per module; a card opens its module.
class HomePage : public QWidget {
    Q_OBJECT

public:
    explicit HomePage(AppModel& model, QWidget* parent = nullptr);

    QPushButton* card(ProductModule module) const { return cards_[static_cast<std::size_t>(module)]; }

private:
    void retitle();

    AppModel& model_;
    std::array<QPushButton*, 3> cards_{};
};

}  // namespace tidewell
