#include "app/automation/OfficeProfile.h"

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
}

} // namespace
