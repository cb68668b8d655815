#pragma once
// CLabelEx: one line of text in a chosen colour, with an optional 16 x 16 icon on its left taken
// by index from a strip of icons, and a click action (a signal and an optional callback).
#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <functional>

class CLabelEx : public QWidget {
    Q_OBJECT
public:
    explicit CLabelEx(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return m_text; }
    void SetTextColour(const QColor& colour);
    QColor TextColour() const { return m_colour; }

    // The strip: icons of iconSize x iconSize side by side. By resource number or as a picture.
    bool SetIconStrip(int bitmapId, int iconSize = 16);
    void SetIconStrip(const QPixmap& strip, int iconSize = 16);
    // Shows icon `index` of the strip, counted from the left; -1, or an index outside the strip,
    // shows no icon.
    void SetIcon(int index);
    int IconIndex() const { return m_icon; }
    bool HasIcon() const;

    // Called on a left click (press and release over the label), after clicked() is emitted.
    void SetOnClick(std::function<void()> action) { m_onClick = std::move(action); }
    // With a click action the label shows the hand cursor.
    void SetLink(bool link);

    QRect IconRect() const;
    QRect TextRect() const;
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QColor m_colour = Qt::black;
    QPixmap m_strip;
    int m_iconSize = 16;
    int m_icon = -1;
    bool m_pressed = false;
    std::function<void()> m_onClick;
};
