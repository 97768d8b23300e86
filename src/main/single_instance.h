#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace tidewell {

// Only one instance of the application runs per user. The running one listens on a local
// socket named after the bundle identifier; a later start connects there, asks it to show
// its window and ends.
namespace SingleInstance {

inline constexpr const char* bundleIdentifier = "app.tidewell.Tidewell";

// $XDG_RUNTIME_DIR/app.tidewell.Tidewell, else a per-user name in the temporary folder.
QString serverName();

// True when a running instance took the request to show itself.
bool askRunningInstanceToShow();

}  // namespace SingleInstance

// The running instance's end of the socket.
class SingleInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit SingleInstanceServer(QObject* parent = nullptr);

    // Starts listening, replacing a socket left behind by an instance that is gone. False
    // when another instance listens there already, or the socket cannot be made.
    bool listen();

signals:
    void showRequested();

private:
    void acceptConnections();

    QLocalServer* server_ = nullptr;
};

}  // namespace tidewell
