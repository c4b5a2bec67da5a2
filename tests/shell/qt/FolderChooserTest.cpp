#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "shell/ChooserSteps.h"
#include "shell/Layout.h"
#include "shell/qt/DirectoryList.h"
#include "shell/qt/DriveSelector.h"
#include "shell/qt/FolderChooser.h"
#include "tests/shell/qt/LayoutCheck.h"
#include "tests/shell/qt/ShellFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WhileModal.h"

namespace veltrano {
namespace {

using test::ShellFixture;

template <typename Widget>
Widget* controlOf(QWidget* dialog, const char16_t* name) {
    return dialog->findChild<Widget*>(QString::fromUtf16(name));
}

QString native(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

// Opens the chooser from the window's "选择..." button and runs `action` on it while it is shown.
void withChooser(ShellFixture& f, const std::function<void(QWidget*)>& action) {
    bool shown = false;
    const auto watch = test::whileModal(action, &shown);
    QTest::mouseClick(f.control<QPushButton>(u"按钮2"), Qt::LeftButton);
    EXPECT_TRUE(shown);
}

TEST(FolderChooser, ControlsStandWhereTheLayoutTablePutsThem) {
    ShellFixture f;
    FolderChooser chooser(f.window);
    EXPECT_EQ(chooser.parentWidget(), nullptr);
    test::expectLayout(chooser, folderChooserLayout());
}

TEST(FolderChooser, OpensOnTheBoxDirectoryAndConfirmingWritesBackItsFullForm) {
    test::TempDir dir;
    ShellFixture f;
    f.window.setReceiveDirectoryText(native(dir.path()) + QStringLiteral("/"));
    QString title, shownPath, listed;
    withChooser(f, [&](QWidget* dialog) {
        ASSERT_NE(qobject_cast<FolderChooser*>(dialog), nullptr);
        title = dialog->windowTitle();
        shownPath = controlOf<QLabel>(dialog, u"编辑框1")->text();
        listed = controlOf<DirectoryList>(dialog, u"目录框1")->currentDirectory();
        QTest::mouseClick(controlOf<QPushButton>(dialog, u"按钮1"), Qt::LeftButton);
    });
    EXPECT_EQ(title, QStringLiteral("浏览文件夹"));
    EXPECT_EQ(shownPath, native(dir.path()));
    EXPECT_EQ(listed, shownPath);
    EXPECT_EQ(f.window.receiveDirectoryText(), native(dir.path()));
}

TEST(FolderChooser, WalkingIntoAFolderShowsItAndOkTakesIt) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "班级照片" / "一班");
    ShellFixture f;
    f.window.setReceiveDirectoryText(native(dir.path()));
    withChooser(f, [&](QWidget* dialog) {
        auto* list = controlOf<DirectoryList>(dialog, u"目录框1");
        const auto found = list->findItems(QStringLiteral("班级照片"), Qt::MatchEndsWith);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found.first());
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(controlOf<QLabel>(dialog, u"编辑框1")->text(), native(dir.path() / "班级照片"));
        QTest::mouseClick(controlOf<QPushButton>(dialog, u"按钮1"), Qt::LeftButton);
    });
    EXPECT_EQ(f.window.receiveDirectoryText(), native(dir.path() / "班级照片"));
}

TEST(FolderChooser, CancelAndTheFrameLeaveTheBoxUntouched) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    ShellFixture f;
    const QString before = native(dir.path());
    f.window.setReceiveDirectoryText(before);
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> closers = {
        {"cancel button",
         [](QWidget* dialog) {
             QTest::mouseClick(controlOf<QPushButton>(dialog, u"按钮2"), Qt::LeftButton);
         }},
        {"window frame", [](QWidget* dialog) { dialog->close(); }},
    };
    for (const auto& [name, closeDialog] : closers) {
        SCOPED_TRACE(name);
        withChooser(f, [&](QWidget* dialog) {
            auto* drives = controlOf<DriveSelector>(dialog, u"驱动框1");
            drives->setCurrentIndex(0);
            emit drives->activated(0);  // the user picks the first drive
            EXPECT_EQ(controlOf<QLabel>(dialog, u"编辑框1")->text(),
                      QString::fromStdString(rootOfDrive(drives->drive().toStdString())));
            auto* list = controlOf<DirectoryList>(dialog, u"目录框1");
            list->setCurrentDirectory(native(dir.path() / "sub"));
            emit list->currentDirectoryChanged();
            closeDialog(dialog);
            EXPECT_FALSE(dialog->isVisible());
        });
        EXPECT_EQ(f.window.receiveDirectoryText(), before);
    }
}

TEST(FolderChooser, AnEmptiedBoxOpensOnTheFallback) {
    ShellFixture f;
    f.window.setReceiveDirectoryText(QString());
    QString shownPath;
    withChooser(
        f, [&](QWidget* dialog) { shownPath = controlOf<QLabel>(dialog, u"编辑框1")->text(); });
    EXPECT_EQ(shownPath, QString::fromStdString(chooserFallbackDirectory()));
    EXPECT_EQ(f.window.receiveDirectoryText(), QString());
}

TEST(FolderChooser, PhotosKeepArrivingWhileItIsOpen) {
    test::TempDir dir;
    ShellFixture f;
    f.start();
    f.window.setReceiveDirectoryText(native(dir.path()));
    auto phone = f.connectPhone();
    withChooser(f, [&](QWidget*) {
        f.send(*phone, "STAT||during.jpg");
        f.send(*phone, "bytes while choosing");
    });
    EXPECT_EQ(test::readFile(dir.path() / "during.jpg"), "bytes while choosing");
}

}  // namespace
}  // namespace veltrano
