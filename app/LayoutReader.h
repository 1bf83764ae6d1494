#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <stdexcept>

// A malformed or inconsistent layout, reported with file and line.
class LayoutError : public std::runtime_error {
public:
    LayoutError(const QString& file, int line, const QString& message);
    QString file;
    int line;
    QString message;
};

struct LayoutProperty {
    QString name;
    QVariant value;
    int line = 0;
};

struct LayoutNode {
    QString name;
    QString className;
    int line = 0;
    QList<LayoutProperty> properties;
    QList<LayoutNode> children;
};

// Reads the text form of a stored window layout:
//
//   object FMain: TFMain
//     Left = 216
//     Caption = 'Deckvane'
//     Font.Name = 'Tahoma'
//     Options = [a, b]
//     Items = <
//       item
//         Width = 10
//       end>
//     object Child: TClass
//       ...
//     end
//   end
//
// Values: integers, 'quoted' strings ('' is a quote, 'a' + 'b' joins), the
// identifiers true/false (bool) and any other identifier (kept as text),
// [sets] (a string list) and <collections> (a LayoutCollection).
class LayoutReader {
public:
    static LayoutNode parse(const QString& text, const QString& fileName);
    static LayoutNode readFile(const QString& fileName);
};
