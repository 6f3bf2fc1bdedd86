#pragma once
// LauncherWindow: the search window's contents: the field, the result rows
// and the version footer, bound to a ContentView. Keys go to the controller's
// bindings first, whichever child has focus; text typed before the field has
// focus still lands in it, in order. Showing, hiding and placing the window
// belong to the application; this window asks for them through signals.

#include "launcher/session/ContentView.h"
#include "launcher/session/LauncherHost.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;

namespace trovi {

class PreferenceStore;
class ResultRowDelegate;
class SearchResultListModel;
struct LauncherTheme;

class LauncherWindow : public QWidget, public LauncherHost {
    Q_OBJECT
public:
    // `services.host` is this window.
    explicit LauncherWindow(ContentViewServices services, QWidget* parent = nullptr);
    ~LauncherWindow() override;

    ContentView& contentView() { return *m_view; }
    const ContentView& contentView() const { return *m_view; }
    // Shown under an empty field when the preferences ask for it.
    void setVersionLabel(const QString& label);
    // The stored theme; it follows "LauncherThemeChanged".
    const LauncherTheme& theme() const { return *m_theme; }
    // The field's context menu: the editing entries, then the tray icon's
    // visibility and Settings (the way there on a desktop without a tray).
    QMenu* createFieldContextMenu();

    // LauncherHost. Without a receiver of hideRequested() the window hides
    // itself; without a receiver of
    // quitRequested() the application quits.
    void hideLauncher() override;
    void showSettingsWindow() override;
    void terminate() override;
    bool isCommandKeyHeld() const override;
    QString clipboardText() const override;

Q_SIGNALS:
    void hideRequested();
    void settingsRequested();
    void quitRequested();
    // The list became empty or not: the window switches between bar and list.
    void resultsVisibilityChanged(bool hasResults);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void syncSelection(int row);
    void updateChrome();
    void applyTheme();
    void readCommandKey();

    std::unique_ptr<ContentView> m_view;
    SearchResultListModel* m_model;
    QLineEdit* m_field;
    QListView* m_list;
    QLabel* m_footer;
    QProgressBar* m_progress;
    ResultRowDelegate* m_delegate;
    const LauncherTheme* m_theme = nullptr;
    PreferenceStore* m_preferences;
    NotificationCenter* m_notifications;
    bool m_commandHeld = false;
};

} // namespace trovi
