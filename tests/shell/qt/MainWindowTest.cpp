#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QTest>
#include <future>
#include <map>

#include "shell/Layout.h"
#include "shell/NoticeLog.h"
#include "shell/qt/QtText.h"
#include "tests/shell/qt/LayoutCheck.h"
#include "tests/shell/qt/ShellFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WhileModal.h"

namespace veltrano {
namespace {

using test::ShellFixture;
using test::waitUntil;

TEST(MainWindow, ControlsStandWhereTheLayoutTablePutsThem) {
    ShellFixture f;
    test::expectLayout(f.window, mainWindowLayout());
    EXPECT_EQ(f.window.findChild<QObject*>(QStringLiteral("服务器1")), &f.window.endpoint());
}

TEST(MainWindow, StartsListeningWithTheDefaultDirectoryAndFillsTheInformationBox) {
    MainWindow::Options options;
    options.listAddresses = [] { return std::vector<std::string>{"192.168.1.5", "10.1.2.3"}; };
    ShellFixture f(options);
    f.start();
    EXPECT_TRUE(f.window.endpoint().isListening());
    EXPECT_EQ(f.window.receiveDirectoryText(), QString::fromStdString(defaultReceiveDirectory()));
    EXPECT_EQ(f.control<QLabel>(u"标签4")->text(), QStringLiteral("0"));
    EXPECT_EQ(f.infoText(), QStringLiteral("本机IP：192.168.1.5\n本机IP：10.1.2.3\n\n操作方法:\n"
                                           "1.手机WIFI连接上与本电脑在同一局域网路由器\n"
                                           "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮"));
    // The box is shorter than its text: it shows the addresses, not the end of the guide.
    const QScrollBar* scroll = f.control<QPlainTextEdit>(u"编辑框1")->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), 0);
}

TEST(MainWindow, StaysResponsiveWhileTheAddressesAreLookedUp) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    MainWindow::Options options;
    options.listAddresses = [released] {
        released.wait();
        return std::vector<std::string>{"192.168.1.5"};
    };
    // Whatever happens below, the look-up is let go, so a failure reports instead of hanging.
    struct Release {
        std::promise<void>& promise;
        ~Release() {
            try {
                promise.set_value();
            } catch (const std::future_error&) {
            }
        }
    } releaseAtEnd{release};
    ShellFixture f(options);
    bool listed = false;
    QObject::connect(&f.window, &MainWindow::addressesListed, &f.window, [&] { listed = true; });
    f.window.onMainWindowCreated();  // returns although the look-up is held up
    f.window.show();

    // The window still answers its user meanwhile.
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    EXPECT_EQ(f.messages.size(), 1u);
    EXPECT_FALSE(listed);

    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return listed; }));
    EXPECT_TRUE(f.infoText().startsWith(QStringLiteral("本机IP：192.168.1.5\n")));
}

TEST(MainWindow, RefusesAnEmptyRosterFirstThenAMissingPhone) {
    ShellFixture f;
    f.start();
    auto* send = f.control<QPushButton>(u"按钮1");
    QTest::mouseClick(send, Qt::LeftButton);
    f.control<QPlainTextEdit>(u"编辑框2")->setPlainText(QStringLiteral("1班\t张三"));
    QTest::mouseClick(send, Qt::LeftButton);
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(toQString(f.messages[0]), QStringLiteral("请复制电子表格的学生名册到名册框里！"));
    EXPECT_EQ(toQString(f.messages[1]), QStringLiteral("手机未连接！"));
}

TEST(MainWindow, TheRealMessageBoxShowsTheTextWithOneOkButton) {
    ShellFixture f({}, /*recordMessages=*/false);
    f.window.onMainWindowCreated();
    QString shownText;
    int buttons = 0;
    bool found = false;
    const auto watch = test::whileModal(
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            buttons = int(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        },
        &found);
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    EXPECT_TRUE(found);
    EXPECT_EQ(shownText, QStringLiteral("请复制电子表格的学生名册到名册框里！"));
    EXPECT_EQ(buttons, 1);
}

TEST(MainWindow, SendsThePastedRosterWithCrLfRowsToTheLastPhoneOnly) {
    ShellFixture f;
    f.start();
    auto first = f.connectPhone();
    auto second = f.connectPhone();
    f.control<QPlainTextEdit>(u"编辑框2")
        ->setPlainText(QStringLiteral("1班\t张三\t110\n2班\t李四\t120\n"));
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);

    const QByteArray expected =
        QByteArray("STAT||") +
        QByteArray::fromStdString(toText(QStringLiteral("1班\t张三\t110\r\n2班\t李四\t120\r\n"))) +
        QByteArray("||END");
    ASSERT_TRUE(waitUntil([&] { return second->bytesAvailable() >= expected.size(); }));
    EXPECT_EQ(second->readAll(), expected);
    EXPECT_EQ(first->bytesAvailable(), 0);
    EXPECT_TRUE(f.messages.empty());
    const QString sent =
        QStringLiteral("\n名册已传到手机 127.0.0.1:%1，共2行").arg(second->localPort());
    EXPECT_TRUE(waitUntil([&] { return f.infoText().endsWith(sent); }))
        << f.infoText().toStdString();
}

TEST(MainWindow, SaysWhichPhoneConnected) {
    ShellFixture f;
    f.start();
    auto first = f.connectPhone();
    auto second = f.connectPhone();
    const QString lines = QStringLiteral("按钮\n手机已连接：127.0.0.1:%1\n手机已连接：127.0.0.1:%2")
                              .arg(first->localPort())
                              .arg(second->localPort());
    EXPECT_TRUE(waitUntil([&] { return f.infoText().endsWith(lines); }))
        << f.infoText().toStdString();
}

TEST(MainWindow, SaysTheRosterDidNotGoOutWhenThePhoneHasGone) {
    // The push went nowhere once the phone had disconnected, and the window said nothing.
    ShellFixture f;
    f.start();
    auto phone = f.connectPhone();
    const quint16 phonePort = phone->localPort();
    bool departed = false;
    QObject::connect(&f.window.endpoint(), &ServerEndpoint::clientDeparted, &f.window,
                     [&departed] { departed = true; });
    phone->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return departed; }));

    f.control<QPlainTextEdit>(u"编辑框2")->setPlainText(QStringLiteral("1班\t张三\n"));
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    EXPECT_TRUE(f.messages.empty());
    const QString notSent =
        QStringLiteral("\n名册没有传出：手机 127.0.0.1:%1 已断开，请在手机上重新连接后再传")
            .arg(phonePort);
    EXPECT_TRUE(waitUntil([&] { return f.infoText().endsWith(notSent); }))
        << f.infoText().toStdString();
    EXPECT_FALSE(f.infoText().contains(QStringLiteral("名册已传到手机")));
}

TEST(MainWindow, SaysWhenThePortIsTaken) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::LocalHost, 0));
    MainWindow::Options options;
    options.port = squatter.serverPort();
    ShellFixture f(options);
    f.start();
    EXPECT_FALSE(f.window.endpoint().isListening());
    const QString notice =
        QStringLiteral("无法在端口%1接收文件：端口已被其他程序占用").arg(squatter.serverPort());
    EXPECT_TRUE(f.infoText().endsWith(QStringLiteral("按钮\n") + notice));
    EXPECT_EQ(f.infoText().count(notice), 1);
    // What went wrong is in view.
    const QScrollBar* scroll = f.control<QPlainTextEdit>(u"编辑框1")->verticalScrollBar();
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST(MainWindow, SaysOnceWhenAFileCannotBeSavedAndUsesATypedDirectoryForTheNext) {
    test::TempDir dir;
    ShellFixture f;
    f.start();
    f.window.setReceiveDirectoryText(QString::fromStdString((dir.path() / "missing").string()));
    auto phone = f.connectPhone();

    f.send(*phone, "STAT||a.jpg");
    f.send(*phone, "lost piece");
    f.send(*phone, "lost too");
    const QString notice = QStringLiteral("无法保存文件“a.jpg”：接收目录不存在");
    EXPECT_EQ(f.control<QLabel>(u"标签4")->text(), QStringLiteral("1"));

    f.control<QLineEdit>(u"目录编辑框1")->setText(QString::fromStdString(dir.path().string()));
    f.send(*phone, "STAT||b.jpg");
    f.send(*phone, "kept");
    EXPECT_EQ(test::filesIn(dir.path()), (std::map<std::string, std::string>{{"b.jpg", "kept"}}));
    EXPECT_EQ(f.control<QLabel>(u"标签4")->text(), QStringLiteral("2"));
    EXPECT_TRUE(waitUntil([&] { return f.infoText().endsWith(QStringLiteral("\n") + notice); }));
    EXPECT_EQ(f.infoText().count(notice), 1);
}

// 200 refused 64 KB names froze the window for minutes and grew its memory: every notice held
// the whole name, and the addresses vanished above them.
TEST(MainWindow, AFloodOfRefusedNamesLeavesAShortBoxWithTheAddressesOnTop) {
    test::TempDir dir;
    ShellFixture f;
    f.start();
    f.window.setReceiveDirectoryText(QString::fromStdString(dir.path().string()));
    auto phone = f.connectPhone();
    const QByteArray filler(64 * 1024, 'x');
    // Names that differ, then a run of one name.
    for (int i = 0; i < 200; ++i) {
        const QByteArray name = i < 100 ? QByteArray::number(i) : QByteArray("same");
        phone->write("STAT||" + name + filler + ".jpg");
    }
    ASSERT_TRUE(waitUntil([&] { return f.window.exchangeState().receivedCount() == 200; }, 60000));

    const QString last = QStringLiteral(
        "无法保存文件“samexxxxxxxxxxxxxxx…xxxxxxxxxxxxxxxxxxxx”：文件名太长（共100次）");
    ASSERT_TRUE(waitUntil([&] { return f.infoText().endsWith(last); }))
        << f.infoText().toStdString();
    const QStringList lines = f.infoText().split(QLatin1Char('\n'));
    // The address line and the guide's four, then the notices' bounded history.
    ASSERT_EQ(lines.size(), 5 + 1 + int(NoticeLog::kMaxLines));
    EXPECT_EQ(lines[0], QStringLiteral("本机IP：192.168.1.5"));
    // Dropped: the phone's arrival and the first 81 names.
    EXPECT_EQ(lines[5], QStringLiteral("（较早的82条提示已省略）"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("无法保存文件“81xxxxx")));
    for (const QString& line : lines) EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_TRUE(test::filesIn(dir.path()).empty());

    // The window still answers its user.
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    EXPECT_EQ(f.messages.size(), 1u);
}

}  // namespace
}  // namespace veltrano
