#pragma once
// A Surface that draws nothing and records what it is asked to do, for tests
// of drawing routines and design ticks. Text widths are exact and
// font-independent: every character is `charWidth` twips wide (or whatever
// `measure` says when it is set). Setters check their values like the real
// surface does, so failing steps fail here too.

#include "engine/Surface.h"

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace lh::test {

class RecordingSurface : public Surface {
public:
    enum class Kind {
        Clear,
        BackColor,
        ForeColor,
        DrawWidth,
        DrawMode,
        FontName,
        FontSize,
        FontBold,
        Polygon,
        FillPolygon,
        TextOut,
        Print,
        BackgroundPicture,
    };

    // One recorded call with the state it was made in.
    struct Call {
        Kind kind = Kind::Clear;
        std::vector<DevicePoint> points;   // Polygon, FillPolygon
        Rgb colour = 0;                    // the value set, or the fill colour
        int value = 0;                     // DrawWidth / DrawMode value, FontBold 0/1
        float size = 0;                    // FontSize value
        QString text;                      // TextOut / Print text, FontName value
        LogFontRecord font;                // TextOut record
        // State at the time of the call:
        Rgb foreColor = 0;
        int drawWidth = 1;
        int drawMode = 13;
        double x = 0, y = 0;   // CurrentX / CurrentY (twips)
    };

    explicit RecordingSurface(int scaleTwips = 12855) : scaleW_(scaleTwips), scaleH_(scaleTwips) {}

    // --- configuration ---
    float charWidth = 200;                          // twips per character
    std::function<float(const QString&)> measure;   // overrides charWidth when set
    // Makes polygon() throw on its n-th call (1-based; 0 = never), to test
    // how callers survive a failing drawing call.
    int failPolygonAt = 0;
    void setScale(int w, int h)
    {
        scaleW_ = w;
        scaleH_ = h;
    }

    // --- what happened ---
    std::vector<Call> calls;
    mutable int textWidthCalls = 0;

    std::vector<const Call*> callsOf(Kind kind) const
    {
        std::vector<const Call*> out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out.push_back(&c);
        return out;
    }
    void reset()
    {
        calls.clear();
        textWidthCalls = 0;
        polygonCount_ = 0;
    }

    // --- Surface ---
    Rgb backColor() const override { return back_; }
    void setBackColor(Rgb colour) override
    {
        if (colour > kMaxRgb)
            throw StepFailure("invalid property value: BackColor");
        back_ = colour;
        record(Kind::BackColor).colour = colour;
    }
    Rgb foreColor() const override { return fore_; }
    void setForeColor(Rgb colour) override
    {
        if (colour > kMaxRgb)
            throw StepFailure("invalid property value: ForeColor");
        fore_ = colour;
        record(Kind::ForeColor).colour = colour;
    }
    int drawWidth() const override { return width_; }
    void setDrawWidth(int pixels) override
    {
        if (pixels < 1)
            throw StepFailure("invalid property value: DrawWidth");
        width_ = pixels;
        record(Kind::DrawWidth).value = pixels;
    }
    int drawMode() const override { return mode_; }
    void setDrawMode(int mode) override
    {
        if (mode < 1 || mode > 16)
            throw StepFailure("invalid property value: DrawMode");
        mode_ = mode;
        record(Kind::DrawMode).value = mode;
    }
    QString fontName() const override { return fontName_; }
    void setFontName(const QString& face) override
    {
        fontName_ = face;
        record(Kind::FontName).text = face;
    }
    float fontSize() const override { return fontSize_; }
    void setFontSize(float points) override
    {
        fontSize_ = points;
        record(Kind::FontSize).size = points;
    }
    bool fontBold() const override { return bold_; }
    void setFontBold(bool bold) override
    {
        bold_ = bold;
        record(Kind::FontBold).value = bold ? 1 : 0;
    }
    double currentX() const override { return x_; }
    double currentY() const override { return y_; }
    void setCurrentX(double twips) override { x_ = twips; }
    void setCurrentY(double twips) override { y_ = twips; }
    int scaleWidth() const override { return scaleW_; }
    int scaleHeight() const override { return scaleH_; }
    double twipsPerPixelX() const override { return 15; }
    double twipsPerPixelY() const override { return 15; }
    float textWidth(const QString& text) const override
    {
        ++textWidthCalls;
        return measure ? measure(text) : charWidth * static_cast<float>(text.size());
    }
    void clear() override
    {
        x_ = 0;
        y_ = 0;
        record(Kind::Clear);
    }
    void polygon(std::span<const DevicePoint> points) override
    {
        ++polygonCount_;
        if (failPolygonAt != 0 && polygonCount_ == failPolygonAt)
            throw StepFailure("scripted polygon failure");
        record(Kind::Polygon).points.assign(points.begin(), points.end());
    }
    void fillPolygon(std::span<const DevicePoint> points, Rgb colour) override
    {
        Call& c = record(Kind::FillPolygon);
        c.points.assign(points.begin(), points.end());
        c.colour = colour;
    }
    void textOut(const QString& text, const LogFontRecord& font) override
    {
        Call& c = record(Kind::TextOut);
        c.text = text;
        c.font = font;
    }
    void print(const QString& text) override { record(Kind::Print).text = text; }
    void setBackgroundPicture(const QImage& picture) override
    {
        background_ = picture;
        record(Kind::BackgroundPicture);
    }
    bool hasBackgroundPicture() const override { return !background_.isNull(); }
    QImage backgroundPicture() const override { return background_; }
    QImage image() const override
    {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(QColor(redOf(back_), greenOf(back_), blueOf(back_)));
        return img;
    }
    QRect takeDirtyRect() override { return {}; }

private:
    Call& record(Kind kind)
    {
        Call c;
        c.kind = kind;
        c.foreColor = fore_;
        c.drawWidth = width_;
        c.drawMode = mode_;
        c.x = x_;
        c.y = y_;
        calls.push_back(std::move(c));
        return calls.back();
    }

    int scaleW_, scaleH_;
    Rgb back_ = 0xFFFFFF;
    Rgb fore_ = 0;
    int width_ = 1;
    int mode_ = 13;
    QString fontName_ = QStringLiteral("Arial");
    float fontSize_ = 9;
    bool bold_ = false;
    double x_ = 0, y_ = 0;
    QImage background_;
    int polygonCount_ = 0;
};

}   // namespace lh::test
