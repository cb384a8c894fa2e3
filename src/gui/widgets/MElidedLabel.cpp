#include "MElidedLabel.h"

#include <QResizeEvent>

MElidedLabel::MElidedLabel(QWidget* parent, Qt::TextElideMode mode)
    : QLabel(parent)
    , m_Mode(mode)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MElidedLabel::SetFullText(const QString& text)
{
    m_FullText = text;
    setToolTip(text);
    Elide();
}

QSize MElidedLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    return {0, hint.height()};
}

QSize MElidedLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return {qMin(hint.width(), 200), hint.height()};
}

void MElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void MElidedLabel::Elide()
{
    const int room = contentsRect().width();
    // Line breaks in a title would make the label two lines high; a title is one line.
    const QString line = QString(m_FullText).replace(QLatin1Char('\n'), QLatin1Char(' '));
    setText(fontMetrics().elidedText(line, m_Mode, qMax(room, 0)));
}
