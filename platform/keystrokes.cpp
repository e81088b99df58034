#include "platform/keystrokes.h"

#include "forms/apperror.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QWidget>

namespace Keystrokes {

namespace {

    struct NamedKey {
        int key;
        QString text;
    };

    const QHash<QString, NamedKey>& namedKeys()
    {
        static const QHash<QString, NamedKey> keys = [] {
            QHash<QString, NamedKey> k {
                { QStringLiteral("backspace"), { Qt::Key_Backspace, QStringLiteral("\b") } },
                { QStringLiteral("bs"), { Qt::Key_Backspace, QStringLiteral("\b") } },
                { QStringLiteral("bksp"), { Qt::Key_Backspace, QStringLiteral("\b") } },
                { QStringLiteral("break"), { Qt::Key_Pause, {} } },
                { QStringLiteral("capslock"), { Qt::Key_CapsLock, {} } },
                { QStringLiteral("delete"), { Qt::Key_Delete, QStringLiteral("\x7f") } },
                { QStringLiteral("del"), { Qt::Key_Delete, QStringLiteral("\x7f") } },
                { QStringLiteral("down"), { Qt::Key_Down, {} } },
                { QStringLiteral("end"), { Qt::Key_End, {} } },
                { QStringLiteral("enter"), { Qt::Key_Return, QStringLiteral("\r") } },
                { QStringLiteral("esc"), { Qt::Key_Escape, QStringLiteral("\x1b") } },
                { QStringLiteral("help"), { Qt::Key_Help, {} } },
                { QStringLiteral("home"), { Qt::Key_Home, {} } },
                { QStringLiteral("insert"), { Qt::Key_Insert, {} } },
                { QStringLiteral("ins"), { Qt::Key_Insert, {} } },
                { QStringLiteral("left"), { Qt::Key_Left, {} } },
                { QStringLiteral("numlock"), { Qt::Key_NumLock, {} } },
                { QStringLiteral("pgdn"), { Qt::Key_PageDown, {} } },
                { QStringLiteral("pgup"), { Qt::Key_PageUp, {} } },
                { QStringLiteral("prtsc"), { Qt::Key_Print, {} } },
                { QStringLiteral("right"), { Qt::Key_Right, {} } },
                { QStringLiteral("scrolllock"), { Qt::Key_ScrollLock, {} } },
                { QStringLiteral("tab"), { Qt::Key_Tab, QStringLiteral("\t") } },
                { QStringLiteral("up"), { Qt::Key_Up, {} } },
                { QStringLiteral("add"), { Qt::Key_Plus, QStringLiteral("+") } },
                { QStringLiteral("subtract"), { Qt::Key_Minus, QStringLiteral("-") } },
                { QStringLiteral("multiply"), { Qt::Key_Asterisk, QStringLiteral("*") } },
                { QStringLiteral("divide"), { Qt::Key_Slash, QStringLiteral("/") } },
            };
            for (int n = 1; n <= 16; ++n)
                k.insert(QStringLiteral("f%1").arg(n), { Qt::Key_F1 + n - 1, {} });
            return k;
        }();
        return keys;
    }

    // Repeat counts are 16-bit like the program's other integers.
    constexpr int MaxRepeat = 32767;

    [[noreturn]] void invalid(const QString& keys)
    {
        throw AppError(AppError::InvalidProcedureCall,
            QStringLiteral("Invalid key sequence: \"%1\"").arg(keys));
    }

    // The key a character is typed with: letters by their capital, the rest by code point,
    // which is how Qt numbers the keys of printable characters.
    Keystroke characterKey(QChar c)
    {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return { Qt::Key_Return, {}, QStringLiteral("\r") };
        if (c == QLatin1Char('\t'))
            return { Qt::Key_Tab, {}, QStringLiteral("\t") };
        return { int(c.toUpper().unicode()), {}, QString(c) };
    }

    // What a key types once modifiers are held: Shift types the capital, Ctrl and Alt type
    // nothing (the key becomes a command).
    Keystroke withModifiers(Keystroke stroke, Qt::KeyboardModifiers modifiers)
    {
        stroke.modifiers |= modifiers;
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
            stroke.text.clear();
        else if (modifiers & Qt::ShiftModifier)
            stroke.text = stroke.text.toUpper();
        return stroke;
    }

    class Parser {
    public:
        explicit Parser(const QString& keys)
            : m_keys(keys)
        {
        }

        QList<Keystroke> run()
        {
            QList<Keystroke> strokes;
            while (m_pos < m_keys.size()) {
                if (m_keys.at(m_pos) == QLatin1Char(')'))
                    invalid(m_keys);
                strokes += item();
            }
            return strokes;
        }

    private:
        // One key, a braced key, or a parenthesised group, with the modifiers written before it.
        QList<Keystroke> item()
        {
            Qt::KeyboardModifiers modifiers;
            for (;;) {
                if (m_pos >= m_keys.size())
                    invalid(m_keys); // a modifier with no key after it
                const QChar c = m_keys.at(m_pos);
                if (c == QLatin1Char('+'))
                    modifiers |= Qt::ShiftModifier;
                else if (c == QLatin1Char('^'))
                    modifiers |= Qt::ControlModifier;
                else if (c == QLatin1Char('%'))
                    modifiers |= Qt::AltModifier;
                else
                    break;
                ++m_pos;
            }
            QList<Keystroke> strokes;
            const QChar c = m_keys.at(m_pos);
            if (c == QLatin1Char('('))
                strokes = group();
            else if (c == QLatin1Char('{'))
                strokes = braced();
            else if (c == QLatin1Char('~')) {
                ++m_pos;
                strokes = { { Qt::Key_Return, {}, QStringLiteral("\r") } };
            } else if (c == QLatin1Char('}') || c == QLatin1Char('[') || c == QLatin1Char(']')) {
                invalid(m_keys); // reserved: written in braces when meant as characters
            } else {
                ++m_pos;
                strokes = { characterKey(c) };
            }
            for (Keystroke& stroke : strokes)
                stroke = withModifiers(stroke, modifiers);
            return strokes;
        }

        QList<Keystroke> group()
        {
            ++m_pos; // '('
            QList<Keystroke> strokes;
            while (m_pos < m_keys.size() && m_keys.at(m_pos) != QLatin1Char(')'))
                strokes += item();
            if (m_pos >= m_keys.size())
                invalid(m_keys);
            ++m_pos; // ')'
            return strokes;
        }

        QList<Keystroke> braced()
        {
            const qsizetype open = m_pos;
            // "{}}" is the closing brace itself: the first '}' is the content.
            qsizetype close = m_keys.indexOf(QLatin1Char('}'), open + 2);
            if (open + 1 < m_keys.size() && m_keys.at(open + 1) != QLatin1Char('}'))
                close = m_keys.indexOf(QLatin1Char('}'), open + 1);
            if (close < 0)
                invalid(m_keys);
            m_pos = close + 1;

            QString body = m_keys.mid(open + 1, close - open - 1);
            int count = 1;
            const qsizetype space = body.lastIndexOf(QLatin1Char(' '));
            if (space > 0) {
                bool ok = false;
                count = body.mid(space + 1).toInt(&ok);
                if (!ok || count < 0 || count > MaxRepeat)
                    invalid(m_keys);
                body.truncate(space);
            }
            if (body.isEmpty())
                invalid(m_keys);

            Keystroke stroke;
            if (body.size() == 1)
                stroke = characterKey(body.at(0));
            else if (const auto found = namedKeys().constFind(body.toLower());
                     found != namedKeys().cend())
                stroke = { found->key, {}, found->text };
            else
                invalid(m_keys);
            return QList<Keystroke>(count, stroke);
        }

        const QString& m_keys;
        qsizetype m_pos = 0;
    };

} // namespace

QList<Keystroke> parse(const QString& keys) { return Parser(keys).run(); }

void post(QObject* target, const QList<Keystroke>& keystrokes)
{
    for (const Keystroke& stroke : keystrokes) {
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text));
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text));
    }
}

void send(const QString& keys) { Current::current().send(parse(keys)); }

void FocusWidgetInput::send(const QList<Keystroke>& keystrokes)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (target)
        post(target, keystrokes);
}

} // namespace Keystrokes
