#pragma once

#include <QWidget>
#include <array>

#include "model/product_module.h"

class QLabel;
class QPushButton;

namespace tidewell {

class AppModel;

// The start page: one card per module with what it does; a card opens its module.
class HomePage : public QWidget {
    Q_OBJECT

public:
    explicit HomePage(AppModel& model, QWidget* parent = nullptr);

    QPushButton* card(ProductModule module) const { return cards_[static_cast<std::size_t>(module)]; }

private:
    void retitle();

    AppModel& model_;
    QLabel* heading_ = nullptr;
    QLabel* subheading_ = nullptr;
    std::array<QPushButton*, 3> cards_{};
    std::array<QLabel*, 3> cardTitles_{};
    std::array<QLabel*, 3> cardDetails_{};
};

}  // namespace tidewell
