#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <future>
#include <map>

#include "shell/NoticeLog.h"
#include "shell/QtText.h"
#include "tests/shell/LayoutCheck.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WhileModal.h"

namespace veltrano {
namespace {

using test::ShellFixture;
using test::waitUntil;

TEST(MainWindow, ControlsStandWhereTheDesignPutsThem) {
    const std::vector<test::DesignedControl> design = {
        {u"标签6",
         "QLabel",
         u"分组框2",
         {12, 43, 385, 16},
         u" 班级 ｜ 姓名 ｜         身份证号       ｜ 学校标识码 "},
        {u"标签5",
         "QLabel",
         u"分组框2",
         {8, 19, 392, 24},
         u"请在Excel表格里复制学生名册到收下框内(不要复制表头)"},
        {u"编辑框2", "QPlainTextEdit", u"分组框2", {12, 59, 386, 104}, u""},
        {u"按钮1", "QPushButton", u"分组框2", {261, 166, 136, 28}, u"传名册到手机"},
        {u"分组框2", "QGroupBox", nullptr, {15, 232, 409, 208}, u"发送名册到手机"},
        {u"按钮2", "QPushButton", u"分组框1", {314, 57, 80, 28}, u"选择..."},
        {u"目录编辑框1", "QLineEdit", u"分组框1", {78, 60, 227, 26}, u""},
        {u"标签4", "QLabel", u"分组框1", {128, 21, 96, 24}, u"0"},
        {u"标签3", "QLabel", u"分组框1", {16, 21, 104, 24}, u"收到文件个数:"},
        {u"标签2", "QLabel", u"分组框1", {16, 56, 64, 32}, u"接收目录"},
        {u"分组框1", "QGroupBox", nullptr, {15, 128, 409, 96}, u"接收"},
        {u"编辑框1", "QPlainTextEdit", nullptr, {21, 45, 403, 75}, u""},
        {u"标签1", "QLabel", nullptr, {13, 15, 80, 24}, u"提示："},
    };
    ShellFixture f;
    EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Veltrano"));
    EXPECT_EQ(f.window.geometry(), QRect(50, 50, 445, 489));
    test::expectLayout(f.window, design);
    EXPECT_EQ(f.window.findChild<QObject*>(QStringLiteral("服务器1")), &f.window.endpoint());

    EXPECT_EQ(f.control<QLabel>(u"标签4")->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    EXPECT_EQ(f.control<QLabel>(u"标签5")->palette().color(QPalette::WindowText),
              QColor(0, 0, 255));
    const auto* info = f.control<QPlainTextEdit>(u"编辑框1");
    EXPECT_EQ(info->palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(info->palette().color(QPalette::Base), QColor(0, 0, 0));
    const QFont captionFont = f.control<QLabel>(u"标签1")->font();
    EXPECT_EQ(captionFont.families().value(0), QStringLiteral("宋体"));
    EXPECT_EQ(captionFont.pixelSize(), 16);
    EXPECT_EQ(captionFont.weight(), QFont::Normal);
}

TEST(MainWindow, StartsListeningWithTheDefaultDirectoryAndFillsTheInformationBox) {
    MainWindow::Options options;
    options.listAddresses = [] {
        return QStringList{QStringLiteral("192.168.1.5"), QStringLiteral("10.1.2.3")};
    };
    ShellFixture f(options);
    f.start();
    EXPECT_TRUE(f.window.endpoint().isListening());
    EXPECT_EQ(f.window.receiveDirectoryText(), defaultReceiveDirectory());
    EXPECT_EQ(f.control<QLabel>(u"标签4")->text(), QStringLiteral("0"));
    EXPECT_EQ(f.infoText(), QStringLiteral("本机IP：192.168.1.5\n本机IP：10.1.2.3\n\n操作方法:\n"
                                           "1.手机WIFI连接上与本电脑在同一局域网路由器\n"
                                           "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮"));
}

TEST(MainWindow, StaysResponsiveWhileTheAddressesAreLookedUp) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    MainWindow::Options options;
    options.listAddresses = [released] {
        released.wait();
        return QStringList{QStringLiteral("192.168.1.5")};
    };
    ShellFixture f(options);
    bool listed = false;
    QObject::connect(&f.window, &MainWindow::addressesListed, &f.window, [&] { listed = true; });
    f.window.onMainWindowCreated();  // returns although the look-up is held up
    f.window.show();

    // The window still answers its user meanwhile.
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    ASSERT_EQ(f.messages.size(), 1u);
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
    test::whileModal(
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
    EXPECT_EQ(lines[5], QStringLiteral("（较早的81条提示已省略）"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("无法保存文件“81xxxxx")));
    for (const QString& line : lines) EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_TRUE(test::filesIn(dir.path()).empty());

    // The window still answers its user.
    QTest::mouseClick(f.control<QPushButton>(u"按钮1"), Qt::LeftButton);
    EXPECT_EQ(f.messages.size(), 1u);
}

}  // namespace
}  // namespace veltrano
