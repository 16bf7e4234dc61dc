// Off-screen back buffer of a skinned window (see doubleBuff.h).
#include "doubleBuff.h"

#include <QPainter>

#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/doubleBuff/doubleBuff";

int doubleBuffInit(std::unique_ptr<DoubleBuff>& out, PaintWindow* window, CSlout* /*trace*/) {
    if (!window) return REPORT_ERR();
    int width = 0;
    int height = 0;
    window->clientSize(width, height);
    if (width <= 0 || height <= 0) return REPORT_ERR();
    auto buffer = std::make_unique<DoubleBuff>();
    buffer->window = window;
    buffer->width = width;
    buffer->height = height;
    buffer->image = QImage(width, height, QImage::Format_RGB32);
    if (buffer->image.isNull()) return REPORT_ERR();
    buffer->image.fill(Qt::black);
    out = std::move(buffer);
    return OKAY;
}

void doubleBuffFree(std::unique_ptr<DoubleBuff>& buffer) { buffer.reset(); }

int doubleBuffGet(DoubleBuff* buffer, QImage*& target) {
    if (!buffer) return REPORT_ERR();
    target = &buffer->image;
    return OKAY;
}

int doubleBuffPaint(DoubleBuff* buffer, const hwndRect* part) {
    if (!buffer || !buffer->window) return REPORT_ERR();
    QPaintDevice* device = buffer->window->paintDevice();
    if (!device) return REPORT_ERR();
    QPainter painter(device);
    if (!painter.isActive()) return REPORT_ERR();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (part)
        painter.drawImage(QPoint(part->left, part->top), buffer->image,
                          QRect(part->left, part->top, part->width(), part->height()));
    else
        painter.drawImage(0, 0, buffer->image);
    return OKAY;
}
