// A small drag source for the end-to-end tests: a window titled "Drag source" that starts a drag
// when the left button is pressed in it and the pointer moves (xdotool does both). It offers
// links (--urls URL...) or plain text (--text TEXT), and prints the action the drop target took.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {
class Source : public QWidget {
public:
    Source(QList<QUrl> urls, QString text)
        : m_urls(std::move(urls))
        , m_text(std::move(text))
    {
        setWindowTitle(QStringLiteral("Drag source"));
        resize(160, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        m_start = event->position().toPoint();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_pressed
            || (event->position().toPoint() - m_start).manhattanLength()
                < QApplication::startDragDistance())
            return;
        m_pressed = false;
        auto* data = new QMimeData;
        if (!m_urls.isEmpty())
            data->setUrls(m_urls);
        else
            data->setText(m_text);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction);
        std::printf("drop action: %d\n", int(action));
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
    QString m_text;
    bool m_pressed = false;
    QPoint m_start;
};
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    QString text;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--text") && i + 1 < args.size())
            text = args[++i];
        else if (args[i] != QLatin1String("--urls"))
            urls.append(QUrl(args[i]));
    }
    Source source(urls, text);
    source.move(900, 100);
    source.show();
    return app.exec();
}
