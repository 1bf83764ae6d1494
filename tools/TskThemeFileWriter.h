#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Builds a theme file: the header, the entry records chained in the order
// the values were added, the terminating record, then the data.
class TskThemeFileWriter {
public:
    void AddImage(const QString& name, const QByteArray& bmpFile);
    void AddInt(const QString& name, qint32 value);
    void AddBool(const QString& name, quint8 value);
    void AddText(const QString& name, const QByteArray& text);

    QByteArray Bytes() const;
    // False with a message when the file cannot be written.
    bool Save(const QString& fileName, QString* error) const;

private:
    struct Item {
        QByteArray name;
        quint8 type;
        QByteArray data;
    };
    std::vector<Item> m_items;
};
