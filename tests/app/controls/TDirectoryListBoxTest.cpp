#include "app/controls/TDirectoryListBox.h"

#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using Icon = TDirectoryListBox::Icon;
using Entry = TDirectoryListBox::Entry;

TEST(TDirectoryListBox, RowsArePathThenCurrentThenSubfoldersOneLevelDeeper) {
    const auto rows = TDirectoryListBox::entriesFor("/home/ann/", {"a", "b"});
    const QList<Entry> expected = {
        {"/", "/", 0, Icon::OpenFolder},
        {"home", "/home", 1, Icon::OpenFolder},
        {"ann", "/home/ann", 2, Icon::CurrentFolder},
        {"a", "/home/ann/a", 3, Icon::ClosedFolder},
        {"b", "/home/ann/b", 3, Icon::ClosedFolder},
    };
    EXPECT_EQ(rows, expected);
    const auto root = TDirectoryListBox::entriesFor("/", {"etc"});
    ASSERT_EQ(root.size(), 2);
    EXPECT_EQ(root[0].icon, Icon::CurrentFolder);
    EXPECT_EQ(root[1], (Entry{"etc", "/etc", 1, Icon::ClosedFolder}));
}

class FolderTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir d(dir.path());
        for (const char* sub : {"beta", "Alpha", ".hidden", "gamma & delta", "beta/inner"})
            ASSERT_TRUE(d.mkpath(sub));
        QFile file(d.filePath("file.ppt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        saved = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(saved); }
    QTemporaryDir dir;
    QString saved;
};

TEST_F(FolderTree, ListsVisibleSubfoldersSortedWithoutFiles) {
    EXPECT_EQ(TDirectoryListBox::visibleSubfolders(dir.path()),
              QStringList({"Alpha", "beta", "gamma & delta"}));
}

TEST_F(FolderTree, DoubleClickAndEnterOpenASingleClickOnlyHighlights) {
    TDirectoryListBox list;
    ASSERT_TRUE(list.setDirectory(dir.path()));
    const QString top = QDir(dir.path()).canonicalPath();
    EXPECT_EQ(QDir::current().canonicalPath(), top);
    int changes = 0;
    QObject::connect(&list, &TDirectoryListBox::OnChange, [&] { ++changes; });

    const int beta = list.count() - 2;
    ASSERT_EQ(list.item(beta)->text(), "beta");
    list.show();
    const QRect r = list.visualItemRect(list.item(beta));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(list.currentRow(), beta);
    EXPECT_EQ(QDir(list.directory()).canonicalPath(), top);
    EXPECT_EQ(changes, 0);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(QDir(list.directory()).canonicalPath(), top + "/beta");
    EXPECT_EQ(QDir::current().canonicalPath(), top + "/beta");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.item(list.count() - 1)->text(), "inner");

    // Enter on the parent row goes back up.
    list.setCurrentRow(list.count() - 3);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&list, &enter);
    EXPECT_EQ(QDir(list.directory()).canonicalPath(), top);
    EXPECT_EQ(changes, 2);
}

TEST_F(FolderTree, AFolderThatIsGoneOrAFileChangesNothing) {
    TDirectoryListBox list;
    ASSERT_TRUE(list.setDirectory(dir.path()));
    const QString before = list.directory();
    EXPECT_FALSE(list.setDirectory(dir.filePath("missing")));
    EXPECT_FALSE(list.setDirectory(dir.filePath("file.ppt")));
    EXPECT_EQ(list.directory(), before);
}
