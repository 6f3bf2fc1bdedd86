#pragma once
// "Permission Setup": the window shown before first use. Two cards, each
// with its request button and status line, then "Skip for now" and
// "Continue to Launcher". Created once and kept for the process's life.

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

Q_SIGNALS:
    void continueRequested();
    void skipRequested();

private:
    void refresh();

    PermissionsOnboardingViewModel& m_model;
    QLabel* m_fileStatus;
    QLabel* m_browserStatus;
    QPushButton* m_fileButton;
    QPushButton* m_browserButton;
    bool m_centred = false;
};

} // namespace trovi
