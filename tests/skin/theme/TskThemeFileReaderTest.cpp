#include "skin/theme/TskThemeFileReader.h"
#include "ThemeFileBytes.h"
#include "skin/theme/SkinThemeFile.h"
#include "skin/theme/TskSkinError.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

using skintest::rec;
using skintest::ThemeFileBytes;

namespace {

std::unique_ptr<TskThemeFileReader> readBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return std::make_unique<TskThemeFileReader>(buffer);
}

QStringList names(const TskThemeFileReader& reader) {
    QStringList list;
    for (const auto& e : reader.Entries())
        list << e.name;
    return list;
}

// The 260-byte file with a colour and a Boolean.
ThemeFileBytes workedExample() {
    ThemeFileBytes f;
    f.entry(24, "FormBorderColor", 1, 255, 4, 101)
        .entry(101, "ButtonTransparentBool", 2, 259, 1, 178)
        .entry(178, "", 0, 0, 0, 0)
        .put(255, QByteArray("\xFF\x00\x00\x00\x01", 5));
    return f;
}

} // namespace

TEST(ThemeFileReader, WorkedExample) {
    const ThemeFileBytes f = workedExample();
    ASSERT_EQ(f.bytes.size(), 260);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.vsk"));
    ASSERT_TRUE(f.save(path));
    EXPECT_TRUE(IsValidThemeFile(path));
    TskThemeFileReader reader(path);
    EXPECT_TRUE(reader.Complete());
    EXPECT_EQ(reader.GetInt(QStringLiteral("FormBorderColor")), 255);
    EXPECT_EQ(reader.GetInt(QStringLiteral("formbordercolor")), 255);
    EXPECT_TRUE(reader.GetBool(QStringLiteral("ButtonTransparentBool")));
    EXPECT_EQ(reader.GetInt(QStringLiteral("ButtonTransparentBool")), -1); // another list
    EXPECT_FALSE(reader.GetBool(QStringLiteral("Missing")));
    EXPECT_EQ(reader.GetImageStream(QStringLiteral("FormBorderColor")), nullptr);
}

TEST(ThemeFileReader, SignatureCheck) {
    QTemporaryDir dir;
    auto check = [&](const QByteArray& first16) {
        const QString path = dir.filePath(QStringLiteral("sig.vsk"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(first16);
        f.close();
        return IsValidThemeFile(path);
    };
    EXPECT_TRUE(check(QByteArray("VaneSkinTB\0\0\x18\0\0\0", 16)));
    EXPECT_FALSE(check(QByteArray("VANESKINTB\0\0\x18\0\0\0", 16)));
    EXPECT_FALSE(check(QByteArray("VaneSkinTBx\0\x18\0\0\0", 16)));
    EXPECT_FALSE(check(QByteArray("VaneSkinTB\0\0\x18", 13))); // shorter than the probe
    EXPECT_FALSE(IsValidThemeFile(dir.filePath(QStringLiteral("none.vsk"))));
    EXPECT_FALSE(IsValidThemeFile(dir.path())); // a folder
    EXPECT_FALSE(IsValidThemeFile(QString()));
}

TEST(ThemeFileReader, ValuesAndTheTerminator) {
    ThemeFileBytes f(rec(3));
    // A and B loaded, the terminator T never (even though it names a value);
    // records and data lie out of order, an unknown type is skipped.
    f.entry(rec(3), "MenuSelectedBorderColor", 1, 600, 4, rec(1))
        .entry(rec(1), "ButtonTransparentBool", 2, 604, 1, rec(0))
        .entry(rec(0), "Strange", 9, 0, 0, rec(4))
        .entry(rec(4), "Author", 3, 605, 5, rec(2))
        .entry(rec(2), "FormBorderColor", 1, 600, 4, 0)
        .put(600, ThemeFileBytes::int32(0x00C47339))
        .put(604, QByteArray(1, '\x02'))
        .put(605, "Vane!");
    const auto reader = readBytes(f.bytes);
    EXPECT_TRUE(reader->Complete());
    EXPECT_EQ(names(*reader),
              QStringList({"MenuSelectedBorderColor", "ButtonTransparentBool", "Author"}));
    EXPECT_EQ(reader->GetInt(QStringLiteral("MenuSelectedBorderColor")), 12874553);
    EXPECT_TRUE(reader->GetBool(QStringLiteral("ButtonTransparentBool")));
    EXPECT_EQ(reader->GetText(QStringLiteral("author")), QStringLiteral("Vane!"));
    EXPECT_EQ(reader->GetInt(QStringLiteral("FormBorderColor")), -1);

    // A first record that is already the terminator: an empty theme.
    ThemeFileBytes empty;
    empty.entry(24, "FormBorderColor", 1, 0, 4, 0);
    EXPECT_TRUE(readBytes(empty.bytes)->Entries().empty());
}

TEST(ThemeFileReader, ImagesFirstMatchAndRewoundStreams) {
    ThemeFileBytes f;
    f.entry(rec(0), "ButtonImage", 0, 400, 6, rec(1))
        .entry(rec(1), "buttonimage", 0, 406, 3, rec(2))
        .entry(rec(2), "", 0, 0, 0, 0)
        .put(400, "BMfirst" /* 6 bytes used */)
        .put(406, "two");
    const auto reader = readBytes(f.bytes);
    QIODevice* stream = reader->GetImageStream(QStringLiteral("BUTTONIMAGE"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->readAll(), QByteArray("BMfirs"));
    QIODevice* again = reader->GetImageStream(QStringLiteral("ButtonImage"));
    EXPECT_EQ(again, stream);
    EXPECT_EQ(again->pos(), 0);
    EXPECT_EQ(again->readAll(), QByteArray("BMfirs"));

    // A second file loaded into the same reader adds its entries behind the
    // first file's, and the streams handed out before still read their bytes
    // (whatever the freed memory of a dropped file would be reused for).
    QTemporaryDir dir;
    const QString second = dir.filePath(QStringLiteral("second.vsk"));
    ThemeFileBytes g;
    g.entry(rec(0), "ButtonImage", 0, 400, 5, rec(1))
        .entry(rec(1), "CheckBoxImage", 0, 400, 5, rec(2))
        .entry(rec(2), "", 0, 0, 0, 0)
        .put(400, "BMnew");
    ASSERT_TRUE(g.save(second));
    reader->LoadThemeFile(second);
    std::vector<QByteArray> reuse;
    for (int i = 0; i < 64; ++i)
        reuse.emplace_back(f.bytes.size(), 'x');
    EXPECT_EQ(reader->GetImageStream(QStringLiteral("ButtonImage"))->readAll(),
              QByteArray("BMfirs"));
    EXPECT_EQ(reader->GetImageStream(QStringLiteral("CheckBoxImage"))->readAll(),
              QByteArray("BMnew"));
    EXPECT_EQ(reader->HeldBytes(), f.bytes.size() + g.bytes.size());
}

TEST(ThemeFileReader, DamagedChainsStopAndKeepWhatWasLoaded) {
    struct Case {
        const char* what;
        ThemeFileBytes file;
        QStringList loaded;
    };
    const QByteArray four = ThemeFileBytes::int32(7);
    std::vector<Case> cases;
    { // A -> B -> A
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, rec(1))
            .entry(rec(1), "B", 1, 300, 4, rec(0))
            .put(300, four);
        cases.push_back({"loop", f, {"A", "B"}});
    }
    { // a record pointing at itself
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, rec(0)).put(300, four);
        cases.push_back({"self loop", f, {"A"}});
    }
    {
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, 5000).put(300, four);
        cases.push_back({"next past the end", f, {"A"}});
    }
    {
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, rec(1))
            .entry(rec(1), "B", 1, 302, 4, rec(2))
            .put(300, four);
        cases.push_back({"integer data past the end", f, {"A"}});
    }
    {
        ThemeFileBytes f;
        f.entry(rec(0), "Wide", 1, 300, 8, rec(1))
            .entry(rec(1), "", 0, 0, 0, 0)
            .put(300, four + four);
        cases.push_back({"integer of 8 bytes", f, {}});
    }
    {
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, rec(1))
            .entry(rec(1), "Flag", 2, 300, 4, rec(2))
            .entry(rec(2), "", 0, 0, 0, 0)
            .put(300, four);
        cases.push_back({"Boolean of 4 bytes", f, {"A"}});
    }
    {
        ThemeFileBytes f;
        f.entry(rec(0), "Img", 0, 300, 0, rec(1)).entry(rec(1), "", 0, 0, 0, 0).put(300, four);
        cases.push_back({"empty image", f, {}});
    }
    {
        ThemeFileBytes f(24, 1000);
        f.entry(rec(0), "A", 1, 300, 4, rec(1)).entry(rec(1), "", 0, 0, 0, 0).put(300, four);
        cases.push_back({"header size", f, {}});
    }
    {
        ThemeFileBytes f(9000);
        f.put(300, four);
        cases.push_back({"first entry past the end", f, {}});
    }
    { // the terminator record itself is cut short
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 20, 4, rec(1));
        f.bytes.append("short");
        cases.push_back({"short record", f, {"A"}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto reader = readBytes(c.file.bytes);
        EXPECT_FALSE(reader->Complete());
        EXPECT_FALSE(reader->StopReason().isEmpty());
        EXPECT_EQ(names(*reader), c.loaded);
    }
    EXPECT_FALSE(readBytes(QByteArray("VaneSkinTB"))->Complete());
    EXPECT_TRUE(readBytes(QByteArray())->Entries().empty());
}

TEST(ThemeFileReader, AnImageRunningPastTheEndMakesTheFileUnreadable) {
    const QByteArray four = ThemeFileBytes::int32(7);
    for (const auto& [what, offset, size] :
         {std::tuple{"huge size", 300, 0x7FFFFFFF}, std::tuple{"one byte too many", 300, 5},
          std::tuple{"negative offset", -8, 4}}) {
        SCOPED_TRACE(what);
        ThemeFileBytes f;
        f.entry(rec(0), "A", 1, 300, 4, rec(1))
            .entry(rec(1), "Img", 0, offset, size, rec(2))
            .entry(rec(2), "", 0, 0, 0, 0)
            .put(300, four);
        EXPECT_THROW(readBytes(f.bytes), TskSkinError);
    }
}

TEST(ThemeFileReader, EntriesMayShareTheirDataAndCostNoMoreThanTheFile) {
    // 300 entries, every one pointing at the same 4 KB picture block.
    const QByteArray picture(4096, 'p');
    ThemeFileBytes f;
    const int count = 300;
    const int data = rec(count + 2);
    for (int i = 0; i < count; ++i)
        f.entry(rec(i), QByteArray("Img") + QByteArray::number(i), 0, data, picture.size(),
                rec(i + 1));
    f.entry(rec(count), "Shared", 1, data, 4, rec(count + 1));
    f.entry(rec(count + 1), "", 0, 0, 0, 0);
    f.put(data, picture);
    const auto reader = readBytes(f.bytes);
    EXPECT_EQ(reader->Entries().size(), size_t(count) + 1) << reader->StopReason().toStdString();
    EXPECT_EQ(reader->ImageBytes(count - 1), picture);
    EXPECT_EQ(reader->GetInt("Shared"), 0x70707070);
    EXPECT_LE(reader->HeldBytes(), f.bytes.size());
}

TEST(ThemeFileReader, NamesFillTheirFieldAndNoMore) {
    const QByteArray longName(64, 'N');
    ThemeFileBytes f;
    f.entry(rec(0), longName, 1, 300, 4, rec(1))
        .entry(rec(1), "", 0, 0, 0, 0)
        .put(300, ThemeFileBytes::int32(-5));
    const auto reader = readBytes(f.bytes);
    ASSERT_EQ(reader->Entries().size(), 1u);
    EXPECT_EQ(reader->Entries()[0].name, QString(longName));
    EXPECT_EQ(reader->GetInt(QString(longName)), -5);
}

TEST(ThemeFileReader, AnUnopenableFileThrows) {
    QTemporaryDir dir;
    EXPECT_THROW(TskThemeFileReader(dir.filePath(QStringLiteral("missing.vsk"))), TskSkinError);
}
