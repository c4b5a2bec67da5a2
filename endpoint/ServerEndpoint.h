#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include "exchange/Endpoint.h"

class QTcpServer;
class QTcpSocket;

namespace veltrano {

// The listening TCP server. Raw TCP, no framing: each read of a client socket is one dataArrived.
// Clients are named "ip:port" ("[ip]:port" for IPv6); every event comes on the thread that owns
// the endpoint, one at a time.
class ServerEndpoint final : public QObject, public Endpoint {
    Q_OBJECT

public:
    // Bounds what one client can make the program hold; TCP back-pressure slows the sender.
    static constexpr qint64 kReadChunkBytes = 64 * 1024;

    explicit ServerEndpoint(QObject* parent = nullptr);
    ~ServerEndpoint() override;

    void setPort(quint16 port);
    // Every address, IPv4 and IPv6, unless told otherwise (tests keep to loopback).
    void setListenAddress(const QHostAddress& address);

    // Starts listening; false with errorString() when the port cannot be opened.
    bool start();
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const;
    // True when the failure was the port being taken by another program.
    bool addressInUse() const;

    Text takeClientAddress() override;
    Bytes takeData() override;
    void sendData(const Text& address, const Bytes& data) override;

signals:
    void clientArrived();
    void dataArrived();

private:
    void onNewConnection();
    void onSocketReadable(QTcpSocket* socket);
    void onSocketDisconnected(QTcpSocket* socket);

    QTcpServer* server_;
    quint16 port_ = 0;
    QHostAddress listenAddress_{QHostAddress::Any};
    QHash<QString, QPointer<QTcpSocket>> clients_;
    Text eventAddress_;
    Bytes eventData_;
};

}  // namespace veltrano
