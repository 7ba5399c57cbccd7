// One running program per user: the first start answers on a local socket
// named after the main window class and the user; a later start asks it to
// restore and raise its window, and then ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class CSingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
  ~CSingleInstance() override;

  // "MyVestrelClass-<user id>" (in the abstract namespace on Linux, so no
  // socket file is left behind by a program that was killed).
  static QString DefaultName();

  // True when a running program took the request to raise its window.
  bool AskRunningInstance(int timeoutMs = 1000) const;
  // Starts answering later starts; false when the name is taken.
  bool Listen();

 Q_SIGNALS:
  void raiseRequested();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};
