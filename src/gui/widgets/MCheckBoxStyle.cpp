#include "MCheckBoxStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

void MCheckBoxStyle::Install()
{
    if (qobject_cast<MCheckBoxStyle*>(QApplication::style()))
        return;
    QStyle* own = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new MCheckBoxStyle(own));
}

void MCheckBoxStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if ((element != PE_IndicatorItemViewItemCheck && element != PE_IndicatorCheckBox) || !option)
        return;
    const QColor base = option->palette.color(QPalette::Base);
    if (base.lightnessF() >= 0.45)
        return; // light palettes draw their boxes well
    const QColor text = option->palette.color(QPalette::Text);
    QColor edge = text;
    edge.setAlphaF(0.55f);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(edge, 1.0));
    painter->setBrush(Qt::NoBrush);
    const QRectF box = QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5);
    const qreal side = qMin(box.width(), box.height());
    painter->drawRoundedRect(QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side), 2, 2);
    painter->restore();
}
