#include "endpoint/ServerEndpoint.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace veltrano {
namespace {

QString addressText(const QTcpSocket& socket) {
    QHostAddress host = socket.peerAddress();
    bool mapped = false;
    const quint32 ipv4 = host.toIPv4Address(&mapped);
    if (mapped) host = QHostAddress(ipv4);
    const QString port = QString::number(socket.peerPort());
    if (host.protocol() == QAbstractSocket::IPv6Protocol) {
        return QLatin1Char('[') + host.toString() + QLatin1String("]:") + port;
    }
    return host.toString() + QLatin1Char(':') + port;
}

}  // namespace

ServerEndpoint::ServerEndpoint(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &ServerEndpoint::onNewConnection);
}

ServerEndpoint::~ServerEndpoint() = default;

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

Text ServerEndpoint::takeClientAddress() {
    return eventAddress_;
}

Bytes ServerEndpoint::takeData() {
    return std::move(eventData_);
}

void ServerEndpoint::sendData(const Text& address, const Bytes& data) {
    const auto found =
        clients_.constFind(QString::fromLatin1(address.data(), qsizetype(address.size())));
    if (found == clients_.constEnd() || !*found) return;
    QTcpSocket* socket = *found;
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    socket->write(data.data(), qint64(data.size()));
}

void ServerEndpoint::onNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setReadBufferSize(kReadChunkBytes);
        const QString address = addressText(*socket);
        clients_.insert(address, socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onSocketReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { onSocketDisconnected(socket); });

        eventAddress_ = address.toStdString();
        emit clientArrived();
        eventAddress_.clear();

        // Bytes may have come with the connection, before readyRead was connected.
        if (socket->bytesAvailable() > 0) onSocketReadable(socket);
    }
}

void ServerEndpoint::onSocketReadable(QTcpSocket* socket) {
    while (socket->bytesAvailable() > 0) {
        eventData_.resize(std::size_t(std::min(socket->bytesAvailable(), kReadChunkBytes)));
        const qint64 got = socket->read(eventData_.data(), qint64(eventData_.size()));
        if (got <= 0) break;
        eventData_.resize(std::size_t(got));
        emit dataArrived();
    }
    eventData_.clear();
}

void ServerEndpoint::onSocketDisconnected(QTcpSocket* socket) {
    // Whatever arrived with the close still counts.
    if (socket->bytesAvailable() > 0) onSocketReadable(socket);
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (it.value() == socket || it.value().isNull()) {
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
    socket->deleteLater();
}

}  // namespace veltrano
