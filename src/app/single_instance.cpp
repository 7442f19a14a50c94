#include "app/single_instance.h"

#include "util/temp_folder.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <memory>
#include <unistd.h>

namespace zr {

namespace {

constexpr const char *kMutexName = "ZuRivoPrevInst";
// Each argument on its own line, then an empty line; the first copy answers "ok".
constexpr char kEndOfMessage[] = "\n\n";

QByteArray EncodeArgs(const QStringList &args)
{
    QByteArray message = "activate";
    for (const QString &arg : args) {
        // A line break inside an argument would split it: such an argument is dropped.
        if (arg.contains(QLatin1Char('\n')))
            continue;
        message += '\n' + arg.toUtf8();
    }
    return message + kEndOfMessage;
}

QStringList DecodeArgs(const QByteArray &message)
{
    QStringList args;
    const QList<QByteArray> lines = message.left(message.size() - 2).split('\n');
    for (int i = 1; i < lines.size(); ++i)
        args << QString::fromUtf8(lines[i]);
    return args;
}

}  // namespace

QString SingleInstanceName()
{
    // In the user's private temporary folder no other user can reach the socket.
    const std::string privateFolder = TempFolder();
    QString name =
        privateFolder.empty()
            ? QString::fromLatin1(kMutexName) + QLatin1Char('-') + QString::number(::getuid())
            : QString::fromStdString(privateFolder) + QLatin1Char('/') + QString::fromLatin1(kMutexName);
    const QByteArray registry = qgetenv("ZURIVO_REGISTRY");
    if (!registry.isEmpty())
        name += QLatin1Char('-') +
                QString::fromLatin1(
                    QCryptographicHash::hash(registry, QCryptographicHash::Sha1).toHex().left(12));
    return name;
}

TSingleInstance::TSingleInstance(QString name, QObject *parent) : QObject(parent), name_(std::move(name)) {}

TSingleInstance::~TSingleInstance()
{
    if (server_)
        server_->close();
}

bool TSingleInstance::Claim()
{
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(1000))
        return false;  // another copy answers
    // Nobody answers: whatever socket is left belongs to a copy that is gone.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    if (!server_->listen(name_))
        return true;  // run without the check rather than not at all
    connect(server_, &QLocalServer::newConnection, this, [this] { Accept(); });
    return true;
}

void TSingleInstance::Accept()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The message may come in pieces; the buffer lives as long as the connection.
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (!buffer->endsWith(kEndOfMessage))
                return;
            const QStringList args = DecodeArgs(*buffer);
            buffer->clear();
            socket->write("ok\n");
            socket->flush();
            emit Activated(args);
        });
    }
}

bool TSingleInstance::NotifyFirst(const QString &name, const QStringList &args, int attempts, int pauseMs)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(static_cast<unsigned long>(pauseMs));
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(1000))
            continue;
        socket.write(EncodeArgs(args));
        socket.flush();
        QElapsedTimer waited;
        waited.start();
        QByteArray answer;
        while (!answer.contains('\n') && waited.elapsed() < 2000 &&
               socket.state() == QLocalSocket::ConnectedState) {
            if (socket.waitForReadyRead(200))
                answer += socket.readAll();
        }
        if (answer.startsWith("ok"))
            return true;
    }
    return false;
}

}  // namespace zr
