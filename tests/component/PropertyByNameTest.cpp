#include "component/PropertyByName.h"

#include <QMetaProperty>
#include <QWidget>
#include <gtest/gtest.h>

TEST(PropertyByName, PropertiesByNameIgnoreCase) {
    QWidget w;
    EXPECT_TRUE(HasProperty(&w, "WINDOWTITLE"));
    EXPECT_FALSE(HasProperty(&w, "NoSuchThing"));
    EXPECT_FALSE(HasProperty(nullptr, "enabled"));
    EXPECT_TRUE(SetPropertyByName(&w, "windowtitle", QStringLiteral("x")));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("x"));
    EXPECT_FALSE(SetPropertyByName(&w, "NoSuchThing", 1));
}

namespace {

// A class declaring its own property under a name its ancestor already uses
// in another letter case, as a skinned form declares "Font" over QWidget's "font".
class ShadowingWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString WindowTitle READ ownTitle WRITE setOwnTitle)
public:
    QString ownTitle() const { return m_ownTitle; }
    void setOwnTitle(const QString& title) { m_ownTitle = title; }

private:
    QString m_ownTitle;
};

} // namespace

TEST(PropertyByName, TheMostDerivedDeclarationWins) {
    ShadowingWidget w;
    EXPECT_TRUE(SetPropertyByName(&w, "windowtitle", QStringLiteral("own")));
    EXPECT_EQ(w.ownTitle(), QStringLiteral("own"));
    EXPECT_TRUE(w.windowTitle().isEmpty());
    EXPECT_EQ(GetPropertyByName(&w, "WINDOWTITLE").toString(), QStringLiteral("own"));
    EXPECT_EQ(w.metaObject()
                  ->property(PropertyIndexByName(w.metaObject(), QStringLiteral("windowTitle")))
                  .name(),
              QByteArrayLiteral("WindowTitle"));
    EXPECT_EQ(PropertyIndexByName(w.metaObject(), ""), -1);
    EXPECT_EQ(PropertyIndexByName(nullptr, "windowTitle"), -1);
}

#include "PropertyByNameTest.moc"
