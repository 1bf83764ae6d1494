#include "skin/form/TskTitleBarSection.h"

#include "platform/MessageBoxSeam.h"
#include "skin/form/TskTitleBarSections.h"

TskTitleBarSection::TskTitleBarSection(TskTitleBarSections* collection)
    : m_collection(collection) {}

int TskTitleBarSection::Index() const {
    return m_collection ? m_collection->IndexOf(this) : -1;
}

void TskTitleBarSection::changed() {
    if (m_collection)
        m_collection->Update(this);
}

void TskTitleBarSection::SetWidth(int value) {
    m_width = value;
    changed();
}

void TskTitleBarSection::SetAlign(TskTitleBarAlign value) {
    if (value == skClient && m_collection) {
        for (int i = 0; i < m_collection->Count(); ++i) {
            if (m_collection->Items(i)->Align() == skClient) {
                MessageBoxSeam::showRefusal(
                    QStringLiteral("Sorry, only one section's Align property can be \"skClient\""));
                return;
            }
        }
    }
    if (value == skClient)
        m_stretch = true;
    m_align = value;
    changed();
}

void TskTitleBarSection::SetPicture(const QImage& picture) {
    m_picture = picture;
    // Any picture given, an empty one included, sets the width.
    if (m_autoSize)
        m_width = picture.width();
    changed();
}

void TskTitleBarSection::SetStretch(bool value) {
    m_stretch = value || m_align == skClient;
    changed();
}

void TskTitleBarSection::SetAutoSize(bool value) {
    m_autoSize = value;
    if (!m_picture.isNull())
        m_width = m_picture.width();
    changed();
}

void TskTitleBarSection::Assign(const TskTitleBarSection& source) {
    SetWidth(source.Width());
    SetAlign(source.Align());
    SetPicture(source.Picture());
    SetStretch(source.Stretch());
    SetAutoSize(source.AutoSize());
}
