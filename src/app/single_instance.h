#pragma once
// One copy per user: the first copy listens on a local socket named after
// "ZuRivoPrevInst"; a later copy hands its arguments over and ends. The first
// copy then restores and raises its window.

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace zr {

// "ZuRivoPrevInst" in the user's private temporary folder, plus a short hash
// of $ZURIVO_REGISTRY when that is set: another settings database is another
// user's program.
QString SingleInstanceName();

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(QString name, QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the first copy (it listens from now on). A socket
    // left behind by a copy that crashed is taken over.
    bool Claim();

    // Hands args to the first copy; tries attempts times with pauseMs between
    // (the first copy may still be starting). True when it answered.
    static bool NotifyFirst(const QString &name, const QStringList &args, int attempts = 22,
                            int pauseMs = 500);

signals:
    // Another copy started with these arguments.
    void Activated(const QStringList &args);

private:
    void Accept();
    QString name_;
    QLocalServer *server_ = nullptr;
};

}  // namespace zr
