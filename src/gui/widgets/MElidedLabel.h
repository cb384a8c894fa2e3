#pragma once

#include <QLabel>

// A one-line label that shows as much of its text as fits, with "…" where it is cut (at the end, or
// in the middle for paths). It never asks its window for more room: a long text (a page title that
// is a whole sign-in address, a deep path in a status line) must not widen the window it sits in.
// The full text is the tooltip.
class MElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MElidedLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    void SetFullText(const QString& text);
    QString FullText() const { return m_FullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_FullText;
    Qt::TextElideMode m_Mode;
};
