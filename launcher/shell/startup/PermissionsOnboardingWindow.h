#pragma once
// The window shown before first use. With consent prompts, "Permission
// Setup": two cards, each with its request button and status line, then
// "Skip for now" and "Continue to Launcher". Without them (Linux), "Getting
// Started": what one walk of the folders found and how to open the launcher.
// Created once and kept for the process's life.

#include <QWidget>

class QLabel;
class QPushButton;

namespace trovi {

class PermissionsOnboardingViewModel;

class PermissionsOnboardingWindow : public QWidget {
    Q_OBJECT
public:
    explicit PermissionsOnboardingWindow(PermissionsOnboardingViewModel& model,
                                         QWidget* parent = nullptr);

    // Brings the window to the front, centred on first showing.
    void present();
    // How to open the launcher here; shown on a first start only.
    void setHotKeyAdvice(const QString& text);

Q_SIGNALS:
    void continueRequested();
    void skipRequested();

private:
    void refresh();

    PermissionsOnboardingViewModel& m_model;
    QLabel* m_fileStatus;
    QLabel* m_browserStatus = nullptr;
    QLabel* m_hotKeyAdvice = nullptr;
    QPushButton* m_fileButton;
    QPushButton* m_browserButton = nullptr;
    bool m_centred = false;
};

} // namespace trovi
