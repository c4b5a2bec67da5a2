#include "endpoint/ServerEndpoint.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <array>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace veltrano {
namespace {

// Kept free for files being received and the toolkit's own needs.
constexpr int kSpareDescriptors = 16;
constexpr std::chrono::milliseconds kResumeCheckInterval{100};

// Whether the process could open `count` more descriptors, tried by copying `open`: the sockets
// of a Unix process share its table of files, and Qt's server retries an accept that fails for
// want of one without end.
bool descriptorsToSpare(qintptr open, int count) {
#ifdef Q_OS_UNIX
    std::array<int, kSpareDescriptors> copies{};
    int made = 0;
    bool exhausted = false;
    while (made < count && made < kSpareDescriptors) {
        const int copy = ::fcntl(int(open), F_DUPFD_CLOEXEC, 0);
        if (copy < 0) {
            exhausted = errno == EMFILE || errno == ENFILE;
            break;
        }
        copies[std::size_t(made++)] = copy;
    }
    for (int i = 0; i < made; ++i) ::close(copies[std::size_t(i)]);
    return !exhausted;
#else
    Q_UNUSED(open);
    Q_UNUSED(count);
    return true;
#endif
}

Text addressText(const QTcpSocket& socket) {
    QHostAddress host = socket.peerAddress();
    bool mapped = false;
    const quint32 ipv4 = host.toIPv4Address(&mapped);
    if (mapped) host = QHostAddress(ipv4);
    const QString port = QString::number(socket.peerPort());
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        return (QLatin1Char('[') + host.toString() + QLatin1String("]:") + port).toStdString();
    }
    return (host.toString() + QLatin1Char(':') + port).toStdString();
}

}  // namespace

ServerEndpoint::ServerEndpoint(QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), resumeTimer_(new QTimer(this)) {
    events_.setListener(this);
    connect(server_, &QTcpServer::newConnection, this, &ServerEndpoint::onNewConnection);
    resumeTimer_->setSingleShot(true);
    resumeTimer_->setInterval(kResumeCheckInterval);
    connect(resumeTimer_, &QTimer::timeout, this, &ServerEndpoint::onResumeCheck);
}

ServerEndpoint::~ServerEndpoint() {
    // The sockets go with this object; no departure is told to a listener that may be gone.
    events_.setListener(nullptr);
}

void ServerEndpoint::setPort(quint16 port) {
    port_ = port;
}

void ServerEndpoint::setListenAddress(const QHostAddress& address) {
    listenAddress_ = address;
}

bool ServerEndpoint::start() {
    if (server_->isListening()) server_->close();
    return server_->listen(listenAddress_, port_);
}

bool ServerEndpoint::isListening() const {
    return server_->isListening();
}

quint16 ServerEndpoint::serverPort() const {
    return server_->serverPort();
}

QString ServerEndpoint::errorString() const {
    return server_->errorString();
}

bool ServerEndpoint::addressInUse() const {
    return server_->serverError() == QAbstractSocket::AddressInUseError;
}

bool ServerEndpoint::holdingBytes() const {
    for (const Connection& connection : connections_) {
        if (connection.holdTimer->isActive()) return true;
    }
    return false;
}

bool ServerEndpoint::sendData(const Text& address, const Bytes& data) {
    const auto connection = events_.find(address);
    if (!connection) return false;
    QTcpSocket* socket = connections_.value(*connection).socket;
    if (socket == nullptr || socket->state() != QAbstractSocket::ConnectedState) return false;
    return socket->write(data.data(), qint64(data.size())) == qint64(data.size());
}

void ServerEndpoint::onClientArrived() {
    if (listener_) listener_->onClientArrived();
    emit clientArrived();
}

void ServerEndpoint::onDataArrived() {
    if (listener_) listener_->onDataArrived();
    emit dataArrived();
}

void ServerEndpoint::onClientDeparted() {
    if (listener_) listener_->onClientDeparted();
    emit clientDeparted();
}

bool ServerEndpoint::descriptorsToSpare() const {
    return veltrano::descriptorsToSpare(server_->socketDescriptor(), kSpareDescriptors);
}

void ServerEndpoint::makeRoom() {
    bool spare = descriptorsToSpare();
    while (events_.size() >= ConnectionEvents::kMaxConnections || (!spare && events_.size() > 0)) {
        const auto leastNeeded = events_.leastNeeded();
        if (!leastNeeded) break;
        dropConnection(*leastNeeded);
        spare = descriptorsToSpare();
    }
    if (!spare) {
        server_->pauseAccepting();
        resumeTimer_->start();
    }
}

void ServerEndpoint::onResumeCheck() {
    if (descriptorsToSpare()) {
        server_->resumeAccepting();
    } else {
        resumeTimer_->start();
    }
}

void ServerEndpoint::dropConnection(ConnectionId connection) {
    const Connection found = connections_.take(connection);
    if (found.socket == nullptr) return;
    found.socket->disconnect(this);
    found.socket->abort();
    events_.depart(connection);
    found.socket->deleteLater();
}

void ServerEndpoint::onNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        makeRoom();
        socket->setReadBufferSize(kReadChunkBytes);
        auto* holdTimer = new QTimer(socket);
        holdTimer->setSingleShot(true);
        holdTimer->setInterval(ConnectionEvents::kHoldTimeout);

        const ConnectionId connection = events_.arrive(addressText(*socket));
        connections_.insert(connection, {socket, holdTimer});
        connect(socket, &QTcpSocket::readyRead, this,
                [this, connection] { onSocketReadable(connection); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, connection] { onSocketDisconnected(connection); });
        connect(holdTimer, &QTimer::timeout, this,
                [this, connection] { onHoldTimeout(connection); });

        // Bytes may have come with the connection, before readyRead was connected.
        if (socket->bytesAvailable() > 0) onSocketReadable(connection);
    }
}

void ServerEndpoint::readAll(ConnectionId connection, QTcpSocket* socket) {
    while (socket->bytesAvailable() > 0) {
        // Qt hands over the block it read without copying it; one copy makes it ours.
        const QByteArray block = socket->read(kReadChunkBytes);
        if (block.isEmpty()) break;
        bytesRead_ += std::uint64_t(block.size());
        events_.receive(connection, Bytes(block.constData(), std::size_t(block.size())));
    }
}

void ServerEndpoint::onSocketReadable(ConnectionId connection) {
    const Connection found = connections_.value(connection);
    if (found.socket == nullptr) return;
    readAll(connection, found.socket);
    if (events_.holding(connection)) {
        found.holdTimer->start();
    } else {
        found.holdTimer->stop();
    }
}

void ServerEndpoint::onHoldTimeout(ConnectionId connection) {
    const Connection found = connections_.value(connection);
    if (found.socket == nullptr) return;
    // A lagging loop may see the timer before bytes that were already waiting: take those first.
    readAll(connection, found.socket);
    events_.flushHeld(connection);
}

void ServerEndpoint::onSocketDisconnected(ConnectionId connection) {
    const Connection found = connections_.take(connection);
    if (found.socket == nullptr) return;
    // Whatever arrived with the close still counts.
    readAll(connection, found.socket);
    events_.depart(connection);
    found.socket->deleteLater();
}

}  // namespace veltrano
