#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include "endpoint/ConnectionEvents.h"
#include "exchange/Endpoint.h"

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace veltrano {

// The listening TCP server on Qt's event loop. Each connection's bytes go through its own
// splitter, so the listener sees the phone's pieces however the reads cut them. Clients are named
// "ip:port" ("[ip]:port" for IPv6). Every event comes on the thread that owns the endpoint, one
// at a time; the signals follow the listener's handling of each event, for those who watch. At
// most ConnectionEvents::kMaxConnections connections are held; a new one past that, or when
// descriptors run short, takes the place of the least needed.
class ServerEndpoint final : public QObject, public Endpoint, private EndpointListener {
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

    // Every byte read from any client so far, and whether some are held back waiting for the
    // next read: together they tell when everything sent has been handled.
    std::uint64_t bytesRead() const { return bytesRead_; }
    bool holdingBytes() const;

    void setListener(EndpointListener* listener) override { listener_ = listener; }
    Text takeClientAddress() override { return events_.takeClientAddress(); }
    Bytes takeData() override { return events_.takeData(); }
    ConnectionId eventConnection() const override { return events_.eventConnection(); }
    bool sendData(const Text& address, const Bytes& data) override;

signals:
    void clientArrived();
    void dataArrived();
    void clientDeparted();

private:
    struct Connection {
        QTcpSocket* socket;
        QTimer* holdTimer;
    };

    void onClientArrived() override;
    void onDataArrived() override;
    void onClientDeparted() override;

    void onNewConnection();
    // Makes room for a connection just accepted: past the bound on connections, or with too few
    // descriptors to spare, the least needed ones are let go. Accepting pauses when no
    // descriptor can be freed (the toolkit's server would otherwise retry a failing accept
    // without end) and resumes once there are some.
    void makeRoom();
    void onResumeCheck();
    bool descriptorsToSpare() const;
    // Closes a connection the program lets go; its departure is delivered.
    void dropConnection(ConnectionId connection);
    void onSocketReadable(ConnectionId connection);
    void onHoldTimeout(ConnectionId connection);
    void onSocketDisconnected(ConnectionId connection);
    void readAll(ConnectionId connection, QTcpSocket* socket);

    QTcpServer* server_;
    quint16 port_ = 0;
    QHostAddress listenAddress_{QHostAddress::Any};
    EndpointListener* listener_ = nullptr;
    ConnectionEvents events_;
    QHash<ConnectionId, Connection> connections_;
    QTimer* resumeTimer_;
    std::uint64_t bytesRead_ = 0;
};

}  // namespace veltrano
