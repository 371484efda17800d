#include "ui/common/pictures.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace qcal::ui {

namespace {

// Every picture is drawn on a 12 × 12 grid, scaled for the pixmap's resolution.
void Paint(QPainter& p, Picture picture)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case Picture::Calculate:  // a calculator: body and keys
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(200, 210, 230));
        p.drawRoundedRect(QRectF(1.5, 0.5, 9, 11), 1, 1);
        p.setBrush(QColor(60, 120, 60));
        p.drawRect(QRectF(3, 2, 6, 2));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(3 + col * 2.2, 5.5 + row * 2, 1.4, 1.2));
        break;
    case Picture::Clear:  // a red cross
        p.setPen(QPen(QColor(200, 30, 30), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        break;
    case Picture::About:  // "i" in a blue disc
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(5.1, 2.2, 1.8, 1.8));
        p.drawRect(QRectF(5.2, 5, 1.6, 4.8));
        break;
    case Picture::Exit: {  // a door with an arrow leaving it
        p.setPen(QPen(QColor(90, 60, 30), 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(1.5, 0.5, 5, 11));
        p.setPen(QPen(QColor(30, 120, 30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(5, 6), QPointF(11, 6));
        p.drawPolyline(QPolygonF({QPointF(8.5, 3.5), QPointF(11, 6), QPointF(8.5, 8.5)}));
        break;
    }
    case Picture::BatchBuy:   // stacked coins with a plus
    case Picture::BatchSell:  // stacked coins with a minus
        p.setPen(QPen(QColor(150, 110, 0), 0.8));
        p.setBrush(QColor(240, 200, 40));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QRectF(0.5, 7.5 - i * 2.6, 7, 3.5));
        p.setPen(QPen(picture == Picture::BatchBuy ? QColor(200, 30, 30) : QColor(30, 60, 200), 1.8));
        p.drawLine(QPointF(7.5, 3), QPointF(11.5, 3));
        if (picture == Picture::BatchBuy)
            p.drawLine(QPointF(9.5, 1), QPointF(9.5, 5));
        break;
    case Picture::Ok:  // a green tick
        p.setPen(QPen(QColor(30, 150, 30), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(1.5, 6.5), QPointF(4.5, 9.5), QPointF(10.5, 2.5)}));
        break;
    case Picture::Convert:  // two arrows in opposite directions
        p.setPen(QPen(QColor(30, 90, 200), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(1, 4), QPointF(10.5, 4));
        p.drawPolyline(QPolygonF({QPointF(8, 1.5), QPointF(10.5, 4), QPointF(8, 6.5)}));
        p.drawLine(QPointF(11, 8.5), QPointF(1.5, 8.5));
        p.drawPolyline(QPolygonF({QPointF(4, 6), QPointF(1.5, 8.5), QPointF(4, 11)}));
        break;
    }
}

QPixmap Render(Picture picture, int pixels)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(pixels / 12.0, pixels / 12.0);
    Paint(painter, picture);
    return pixmap;
}

} // namespace

QIcon DrawPicture(Picture picture)
{
    QIcon icon;
    for (int pixels : {kPictureSize, kPictureSize * 2})
        icon.addPixmap(Render(picture, pixels));
    return icon;
}

void PutPicture(QPushButton* button, Picture picture)
{
    button->setIcon(DrawPicture(picture));
    button->setIconSize(QSize(kPictureSize, kPictureSize));
}

} // namespace qcal::ui
