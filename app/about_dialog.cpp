#include "app/about_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "render/fonts.h"
#include "render/twips.h"

namespace qm {
namespace {

QLabel* label(QDialog* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

}  // namespace

QDialog* createAboutWindow(QWidget* parent, const QString& date) {
    auto* w = new QDialog(parent);
    w->setObjectName(QStringLiteral("Form2"));
    w->setWindowTitle(QString::fromUtf8("关于 Quillmap"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setModal(true);
    // A small fixed window with a close box only, like a tool dialog.
    w->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    w->setFixedSize(pixels(5745), pixels(2385));
    // The form's font: the 宋体 face (or its stand-in) at 9 pt, 12 pixels, as the
    // positions were laid out for.
    w->setFont(labelFont("宋体", 9));

    label(w, "Label1", QString::fromUtf8("版本:1.0"), pixelRect(225, 150, 1215, 240));
    label(w, "Label2", QString::fromUtf8("作者：Quillmap 开发组"), pixelRect(150, 600, 3990, 240));
    label(w, "Label4", QString::fromUtf8("支持:quillmap@example.org"), pixelRect(150, 1050, 2640, 240));
    label(w, "Label3", date, pixelRect(150, 1500, 1065, 240));

    auto* close = new QPushButton(QString::fromUtf8("关闭"), w);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(pixelRect(4425, 1875, 1140, 390));
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, w, &QDialog::accept);
    return w;
}

void showAboutWindow(QWidget* parent, const QString& date) { createAboutWindow(parent, date)->exec(); }

}  // namespace qm
