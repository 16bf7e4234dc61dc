// Fixtures of the skin tests: a window double that paints into a QImage and
// keeps the rectangles it was asked to repaint, a QGuiApplication for the
// tests that draw text, and solid-colour BMP files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include <optional>

#include "PaintWindow.h"

namespace skintest {

struct Invalidation {
    hwndRect rect;
    bool erase = false;
    bool operator==(const Invalidation&) const = default;
};

class ImageWindow : public PaintWindow {
  public:
    ImageWindow(int width, int height) : image(width, height, QImage::Format_RGB32) { image.fill(Qt::white); }
    void clientSize(int& width, int& height) const override {
        width = image.width();
        height = image.height();
    }
    void invalidate(const hwndRect& rect, bool erase) override { invalidations.push_back({rect, erase}); }
    QPaintDevice* paintDevice() override { return &image; }
    bool paintRect(hwndRect& rect) const override {
        if (!part) return false;
        rect = *part;
        return true;
    }

    QRgb pixel(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }

    QImage image;
    std::vector<Invalidation> invalidations;
    std::optional<hwndRect> part;  // what a paint covers; unset: all of it
};

// One QGuiApplication for the whole test program (text painting needs fonts).
class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "skin_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QGuiApplication> app_;
};

// Writes a BMP of one colour; the top-left pixel may differ, to check orientation.
inline void writeBmp(const std::string& path, int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP")) << path;
}

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kGreen = 0x00FF00;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

}  // namespace skintest
