#pragma once
// Opening files through the shell while the program runs: the running program listens on a
// local socket of the user's; a second start with a file hands the file over and ends.
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// The socket name of the user's running program (one per user and settings folder).
QString InstanceServerName();

// Asks the running program to open path. True when it took the file.
bool HandOverFile(const QString& serverName, const QString& path, int timeoutMs = 5000);

class InstanceServer : public QObject {
  Q_OBJECT
public:
  explicit InstanceServer(QObject* parent = nullptr);
  ~InstanceServer() override;
  // Starts listening; a socket left behind by a program that ended is replaced.
  bool Listen(const QString& name);
  // Asked before a file is taken; while it says no (a modal dialog is open, say) the file is
  // refused and the later start opens it itself.
  void SetAcceptCheck(std::function<bool()> check) { accept_ = std::move(check); }

signals:
  void openRequested(const QString& path);

private:
  void OnConnection();
  QLocalServer* server_;
  std::function<bool()> accept_;
};
