#include "shell/MainWindow.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <system_error>

#include "endpoint/ServerEndpoint.h"
#include "shell/AddressPanel.h"
#include "shell/FolderChooser.h"
#include "shell/MessageBox.h"
#include "shell/Notices.h"
#include "shell/Placement.h"
#include "shell/QtText.h"

namespace veltrano {
namespace {

constexpr std::chrono::milliseconds kRenderInterval{50};

void setTextColour(QWidget* widget, QPalette::ColorRole role, QColor colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The edit box keeps line feeds; the program's texts break lines with CR LF.
QString forDisplay(const Text& text) {
    return toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The phone reads rows as CR LF, as a Windows edit box holds them, whatever this one holds.
Text rosterFromBox(const QString& content) {
    QString rows = content;
    rows.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    rows.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    rows.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toText(rows);
}

}  // namespace

MainWindow::MainWindow() : MainWindow(Options{}) {}

MainWindow::MainWindow(Options options)
    : options_(std::move(options)),
      endpoint_(new ServerEndpoint(this)),
      renderTimer_(new QTimer(this)) {
    renderTimer_->setSingleShot(true);
    renderTimer_->setInterval(kRenderInterval);
    connect(renderTimer_, &QTimer::timeout, this, &MainWindow::render);
    if (!options_.listAddresses) options_.listAddresses = reachableIpv4Addresses;
    if (!options_.showMessage) {
        options_.showMessage = [this](const Text& text) { showMessageBox(this, text); };
    }
    exchange_ = std::make_unique<ExchangeState>(
        *endpoint_, files_,
        ExchangeHooks{
            [this] { return receiveDirectory(); },
            [this](const Text& count) { showReceivedCount(count); },
            [this](const FileProblem& problem) { appendNotice(fileProblemNotice(problem)); }});
    buildControls();
}

MainWindow::~MainWindow() {
    if (addressWorker_.joinable()) addressWorker_.join();
}

void MainWindow::buildControls() {
    setWindowTitle(QStringLiteral("Veltrano"));
    setGeometry(50, 50, 445, 489);
    setFixedSize(445, 489);

    auto* rosterGroup = place<QGroupBox>(this, u"分组框2", {15, 232, 409, 208});
    rosterGroup->setTitle(QStringLiteral("发送名册到手机"));
    auto* header = place<QLabel>(rosterGroup, u"标签6", {12, 43, 385, 16});
    header->setText(QStringLiteral(" 班级 ｜ 姓名 ｜         身份证号       ｜ 学校标识码 "));
    header->setAutoFillBackground(true);
    setTextColour(header, QPalette::Window, QColor(192, 192, 192));
    auto* instruction = place<QLabel>(rosterGroup, u"标签5", {8, 19, 392, 24});
    instruction->setText(QStringLiteral("请在Excel表格里复制学生名册到收下框内(不要复制表头)"));
    setTextColour(instruction, QPalette::WindowText, QColor(0, 0, 255));
    rosterBox_ = place<QPlainTextEdit>(rosterGroup, u"编辑框2", {12, 59, 386, 104});
    auto* sendButton = place<QPushButton>(rosterGroup, u"按钮1", {261, 166, 136, 28});
    sendButton->setText(QStringLiteral("传名册到手机"));
    connect(sendButton, &QPushButton::clicked, this, &MainWindow::onSendRosterClicked);

    auto* receiveGroup = place<QGroupBox>(this, u"分组框1", {15, 128, 409, 96});
    receiveGroup->setTitle(QStringLiteral("接收"));
    auto* chooseButton = place<QPushButton>(receiveGroup, u"按钮2", {314, 57, 80, 28});
    chooseButton->setText(QStringLiteral("选择..."));
    connect(chooseButton, &QPushButton::clicked, this, &MainWindow::onChooseClicked);
    directoryBox_ = place<QLineEdit>(receiveGroup, u"目录编辑框1", {78, 60, 227, 26});
    counterLabel_ = place<QLabel>(receiveGroup, u"标签4", {128, 21, 96, 24});
    counterLabel_->setText(QStringLiteral("0"));
    setTextColour(counterLabel_, QPalette::WindowText, QColor(255, 0, 0));
    place<QLabel>(receiveGroup, u"标签3", {16, 21, 104, 24})
        ->setText(QStringLiteral("收到文件个数:"));
    place<QLabel>(receiveGroup, u"标签2", {16, 56, 64, 32})->setText(QStringLiteral("接收目录"));

    endpoint_->setObjectName(QStringLiteral("服务器1"));

    infoBox_ = place<QPlainTextEdit>(this, u"编辑框1", {21, 45, 403, 75});
    infoBox_->setReadOnly(true);
    infoBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette infoPalette = infoBox_->palette();
    infoPalette.setColor(QPalette::Base, Qt::black);
    infoPalette.setColor(QPalette::Text, QColor(0, 255, 0));
    infoBox_->setPalette(infoPalette);

    auto* infoCaption = place<QLabel>(this, u"标签1", {13, 15, 80, 24});
    infoCaption->setText(QStringLiteral("提示："));
    QFont captionFont;
    captionFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun")});
    captionFont.setPixelSize(16);
    captionFont.setWeight(QFont::Normal);
    infoCaption->setFont(captionFont);
}

void MainWindow::onMainWindowCreated() {
    endpoint_->setPort(options_.port);
    endpoint_->setListenAddress(options_.listenAddress);
    if (!endpoint_->start()) {
        appendNotice(listenFailureNotice(options_.port, endpoint_->addressInUse(),
                                         toText(endpoint_->errorString())));
    }
    setReceiveDirectoryText(defaultReceiveDirectory());
    try {
        addressWorker_ = std::thread([this] {
            listLocalAddresses(options_.listAddresses,
                               [this](const Text& text) { appendText(text); });
            QMetaObject::invokeMethod(
                this, [this] { onAddressesListed(); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        onAddressesListed();
    }
}

void MainWindow::onAddressesListed() {
    render();
    emit addressesListed();
}

void MainWindow::appendText(const Text& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            addressText_ += text;
            scheduleRender();
        },
        Qt::AutoConnection);
}

void MainWindow::appendNotice(const Text& notice) {
    notices_.add(notice);
    scheduleRender();
}

void MainWindow::scheduleRender() {
    if (!renderTimer_->isActive()) renderTimer_->start();
}

void MainWindow::render() {
    renderTimer_->stop();
    infoBox_->setPlainText(forDisplay(infoBoxText(addressText_, notices_)));
    // The latest notice in view; the addresses are the first lines, a short scroll up.
    infoBox_->moveCursor(QTextCursor::End);
    infoBox_->ensureCursorVisible();
}

void MainWindow::onSendRosterClicked() {
    sendRoster(rosterFromBox(rosterBox_->toPlainText()), *exchange_, *endpoint_,
               options_.showMessage);
}

void MainWindow::onChooseClicked() {
    FolderChooser::choose(*this);
}

void MainWindow::releaseExchangeState() {
    exchange_->releaseExchangeState();
}

Text MainWindow::receiveDirectory() const {
    return toText(directoryBox_->text());
}

void MainWindow::showReceivedCount(const Text& text) {
    counterLabel_->setText(toQString(text));
}

QString MainWindow::receiveDirectoryText() const {
    return directoryBox_->text();
}

void MainWindow::setReceiveDirectoryText(const QString& directory) {
    directoryBox_->setText(directory);
}

}  // namespace veltrano
