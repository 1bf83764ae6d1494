#include "app/LayoutReader.h"

#include "component/LayoutCollection.h"

#include <QFile>

LayoutError::LayoutError(const QString& file_, int line_, const QString& message_)
    : std::runtime_error(
          QStringLiteral("%1:%2: %3").arg(file_).arg(line_).arg(message_).toStdString()),
      file(file_), line(line_), message(message_) {}

namespace {

class Parser {
public:
    Parser(const QString& text, const QString& file) : m_text(text), m_file(file) {}

    LayoutNode document() {
        skipSpace();
        LayoutNode root = object();
        skipSpace();
        if (!atEnd())
            fail(QStringLiteral("unexpected text after the last \"end\""));
        return root;
    }

private:
    [[noreturn]] void fail(const QString& message) const {
        throw LayoutError(m_file, m_line, message);
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    void skipSpace() {
        while (!atEnd()) {
            const QChar c = peek();
            if (c == QLatin1Char('\n')) {
                ++m_line;
                ++m_pos;
            } else if (c.isSpace()) {
                ++m_pos;
            } else if (c == QLatin1Char('/') && m_pos + 1 < m_text.size() &&
                       m_text[m_pos + 1] == QLatin1Char('/')) {
                while (!atEnd() && peek() != QLatin1Char('\n'))
                    ++m_pos;
            } else {
                break;
            }
        }
    }

    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    QString name() {
        skipSpace();
        const qsizetype start = m_pos;
        while (!atEnd() && (isNameChar(peek()) || (m_pos > start && peek() == QLatin1Char('.'))))
            ++m_pos;
        if (m_pos == start)
            fail(atEnd() ? QStringLiteral("unexpected end of file")
                         : QStringLiteral("a name was expected, found \"%1\"").arg(peek()));
        return m_text.mid(start, m_pos - start);
    }

    void expect(QChar c) {
        skipSpace();
        if (peek() != c)
            fail(QStringLiteral("\"%1\" was expected").arg(c));
        ++m_pos;
    }

    bool keywordAhead(const char* word) {
        skipSpace();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = m_pos + w.size();
        return after >= m_text.size() || !isNameChar(m_text[after]);
    }

    LayoutNode object() {
        skipSpace();
        if (!keywordAhead("object"))
            fail(QStringLiteral("\"object\" was expected"));
        LayoutNode node;
        node.line = m_line;
        m_pos += 6;
        node.name = name();
        expect(QLatin1Char(':'));
        node.className = name();
        for (;;) {
            skipSpace();
            if (atEnd())
                fail(QStringLiteral("\"end\" of %1 is missing").arg(node.name));
            if (keywordAhead("end")) {
                m_pos += 3;
                return node;
            }
            if (keywordAhead("object")) {
                node.children.append(object());
                continue;
            }
            node.properties.append(property());
        }
    }

    LayoutProperty property() {
        LayoutProperty p;
        p.line = m_line;
        p.name = name();
        expect(QLatin1Char('='));
        p.value = value();
        return p;
    }

    QString quoted() {
        QString out;
        ++m_pos; // opening quote
        for (;;) {
            if (atEnd() || peek() == QLatin1Char('\n'))
                fail(QStringLiteral("a string is not closed"));
            const QChar c = m_text[m_pos++];
            if (c != QLatin1Char('\''))
                out += c;
            else if (peek() == QLatin1Char('\''))
                out += m_text[m_pos++];
            else
                return out;
        }
    }

    QVariant value() {
        skipSpace();
        const QChar c = peek();
        if (c == QLatin1Char('\'')) {
            QString text = quoted();
            for (;;) {
                skipSpace();
                if (peek() != QLatin1Char('+'))
                    return text;
                ++m_pos;
                skipSpace();
                if (peek() != QLatin1Char('\''))
                    fail(QStringLiteral("a string was expected after \"+\""));
                text += quoted();
            }
        }
        if (c == QLatin1Char('-') || c.isDigit()) {
            const qsizetype start = m_pos++;
            while (!atEnd() && peek().isDigit())
                ++m_pos;
            bool ok = false;
            const qlonglong number = m_text.mid(start, m_pos - start).toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("a number was expected"));
            return number;
        }
        if (c == QLatin1Char('['))
            return set();
        if (c == QLatin1Char('<'))
            return QVariant::fromValue(collection());
        const QString word = name();
        if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return word;
    }

    QStringList set() {
        ++m_pos;
        QStringList items;
        skipSpace();
        if (peek() == QLatin1Char(']')) {
            ++m_pos;
            return items;
        }
        for (;;) {
            items.append(name());
            skipSpace();
            if (peek() == QLatin1Char(']')) {
                ++m_pos;
                return items;
            }
            expect(QLatin1Char(','));
        }
    }

    LayoutCollection collection() {
        ++m_pos;
        LayoutCollection items;
        for (;;) {
            skipSpace();
            if (peek() == QLatin1Char('>')) {
                ++m_pos;
                return items;
            }
            if (!keywordAhead("item"))
                fail(QStringLiteral("\"item\" or \">\" was expected"));
            m_pos += 4;
            LayoutItem item;
            for (;;) {
                skipSpace();
                if (atEnd())
                    fail(QStringLiteral("\"end\" of an item is missing"));
                if (keywordAhead("end")) {
                    m_pos += 3;
                    break;
                }
                LayoutProperty p = property();
                item.properties.append({p.name, p.value});
            }
            items.append(item);
        }
    }

    const QString m_text;
    const QString m_file;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace

LayoutNode LayoutReader::parse(const QString& text, const QString& fileName) {
    return Parser(text, fileName).document();
}

LayoutNode LayoutReader::readFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw LayoutError(fileName, 0,
                          QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return parse(QString::fromUtf8(file.readAll()), fileName);
}
