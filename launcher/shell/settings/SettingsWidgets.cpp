#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trovi {

QGroupBox* makeSection(const QString& title, const QString& objectName, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(objectName);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(6);
    return box;
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

} // namespace trovi
