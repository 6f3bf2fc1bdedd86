#pragma once
// "Launcher Settings": every preference in one keyboard-usable window. One
// column when narrow, two when wide; each control takes effect at once.
// One window is kept and reused.

#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QList>

#include <QWidget>
#include <array>

class QHBoxLayout;
class QVBoxLayout;
class QGroupBox;

namespace trovi {

// Sections that come in from the shell, which owns the pieces they bind to;
// they follow the standard ones.
struct SettingsExtraSections {
    QGroupBox* notion = nullptr;
};

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(SettingsEnvironment environment, SettingsExtraSections extras = {},
                            QWidget* parent = nullptr);

    static constexpr int wideLayoutMinimumWidth = 840;
    int columnCount() const { return m_columns; }

    // Brings the window forward, restoring the stored size on first showing.
    void present();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void arrange(int columns);

    SettingsEnvironment m_environment;
    QList<QGroupBox*> m_sections;
    QHBoxLayout* m_columnRow = nullptr;
    std::array<QVBoxLayout*, 2> m_columnLayouts{};
    int m_columns = 0;
    bool m_sizeRestored = false;
};

} // namespace trovi
