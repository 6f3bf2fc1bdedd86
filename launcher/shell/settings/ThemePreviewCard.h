#pragma once
// A theme as a small clickable preview: its background gradient, a sample row
// in its selection colour and its name.

#include <QAbstractButton>
#include <QColor>

namespace trovi {

struct ThemePreview {
    QString id;
    QString name;
    QColor backgroundTop, backgroundBottom, selection, text, secondaryText;
};

class ThemePreviewCard : public QAbstractButton {
    Q_OBJECT
public:
    ThemePreviewCard(ThemePreview preview, QWidget* parent = nullptr);
    const ThemePreview& preview() const { return m_preview; }
    QSize sizeHint() const override { return {132, 86}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemePreview m_preview;
};

} // namespace trovi
