#include "app/automation/OfficeProfile.h"

#include "app/automation/ImpressServer.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

TEST(OfficeProfileTest, TheSettingsGoInOnceAndTheOfficesOwnStay) {
    const QByteArray fresh = OfficeProfile::withSecuritySettings({});
    EXPECT_TRUE(fresh.startsWith("<?xml") && fresh.endsWith("</oor:items>\n"));
    EXPECT_TRUE(fresh.contains("\"BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>true<"));
    EXPECT_EQ(OfficeProfile::withSecuritySettings(fresh), fresh);
    // As the office rewrites the file: an item of its own, ours changed.
    QByteArray kept = fresh;
    kept.replace("Links\" oor:op=\"fuse\"><value>true<", "Links\" oor:op=\"fuse\"><value>false<");
    kept.replace("</oor:items>", "<item oor:path=\"/org.openoffice.Setup/Office\"/>\n</oor:items>");
    const QByteArray merged = OfficeProfile::withSecuritySettings(kept);
    EXPECT_TRUE(merged.contains("<item oor:path=\"/org.openoffice.Setup/Office\"/>"));
    EXPECT_EQ(merged.count("BlockUntrustedRefererLinks"), 1);
    EXPECT_TRUE(merged.contains("\"BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>true<"));
    // A font fontconfig answers for with another is replaced always, unless
    // that very family is installed.
    EXPECT_TRUE(OfficeProfile::installed("DejaVu Sans"));
    EXPECT_FALSE(OfficeProfile::installed("Impact Of No Foundry"));
    EXPECT_EQ(fresh.contains("<value>true</value></prop><prop oor:name=\"OnScreenOnly\" "
                             "oor:op=\"fuse\"><value>false</value></prop><prop "
                             "oor:name=\"ReplaceFont\" oor:op=\"fuse\"><value>Impact<"),
              !OfficeProfile::installed("Impact"));
    EXPECT_TRUE(fresh.contains("<value>false</value></prop><prop oor:name=\"OnScreenOnly\" "
                               "oor:op=\"fuse\"><value>false</value></prop><prop "
                               "oor:name=\"ReplaceFont\" oor:op=\"fuse\"><value>Arial Narrow<"));
}

// The settings of the office's configuration schema (the registry data it
// installs), as "/package.component/group/.../name".
QSet<QString> schemaSettings(const QString& file) {
    QSet<QString> names;
    QFile data(file);
    if (!data.open(QIODevice::ReadOnly))
        return names;
    QXmlStreamReader xml(&data);
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        const QString name = xml.attributes().value("oor:name").toString();
        if (xml.isStartElement() && xml.name() == QLatin1String("component-schema"))
            path = {"/" + xml.attributes().value("oor:package").toString() + "." + name};
        else if (xml.isStartElement() && xml.name() == QLatin1String("templates"))
            path.append(QString()); // a template is no setting
        else if (xml.isStartElement() && xml.name() == QLatin1String("group"))
            path.append(name);
        else if (xml.isStartElement() && xml.name() == QLatin1String("prop") &&
                 !path.contains(QString()))
            names.insert(path.join('/') + '/' + name);
        else if (xml.isEndElement() &&
                 (xml.name() == QLatin1String("group") || xml.name() == QLatin1String("templates")))
            path.removeLast();
    }
    return names;
}

// A key the office does not know is dropped without a word: each must be
// one its schema has.
TEST(OfficeProfileTest, EverySettingIsOneTheOfficeKnows) {
    const QSet<QString> known =
        schemaSettings(ImpressServer::defaultSettings().officeDir + "/share/registry/main.xcd");
    ASSERT_TRUE(known.contains("/org.openoffice.Office.Common/Security/Scripting/SecureURL"))
        << known.size() << " settings read";
    static const QRegularExpression item(
        R"re(<item oor:path="([^"]*)"><prop oor:name="([^"]*)")re");
    int checked = 0;
    for (auto it = item.globalMatch(OfficeProfile::withSecuritySettings({})); it.hasNext();
         ++checked) {
        const auto match = it.next();
        EXPECT_TRUE(known.contains(match.captured(1) + '/' + match.captured(2)))
            << match.captured(2).toStdString();
    }
    EXPECT_EQ(checked, 7) << "six security settings and the font replacement table's switch";
}

} // namespace
