#include "app/zoom_field.h"

#include <cmath>

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "app/canvas_widget.h"
#include "app/editor_view.h"

namespace qm {
namespace {

QString percent(qreal zoom) { return QString::number(std::lround(zoom * 100)) + QLatin1Char('%'); }

}  // namespace

QComboBox* createZoomField(EditorView& view, QWidget* parent) {
    auto* field = new QComboBox(parent);
    field->setObjectName(QStringLiteral("zoomField"));
    field->setAccessibleName(QString::fromUtf8("缩放"));
    field->setToolTip(QString::fromUtf8("缩放比例：输入百分数后按回车"));
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    for (int level : {25, 50, 75, 100, 125, 150, 200, 300, 400}) field->addItem(QString::number(level) + QLatin1Char('%'));
    const auto show = [field](qreal zoom) { field->setEditText(percent(zoom)); };
    show(view.zoom());
    // Digits, a decimal point, and a percent sign (also the full-width one an input
    // method gives) after them. Set after the first text, which it need not check:
    // checking compiles the expression, which start-up can do without.
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString::fromUtf8("\\s*\\d{0,4}(\\.\\d{0,2})?\\s*[%％]?\\s*")), field));
    QObject::connect(&view, &EditorView::zoomChanged, field, show);
    const auto take = [field, &view, show](const QString& typed) {
        QString digits = typed.trimmed();
        digits.remove(QLatin1Char('%')).remove(QChar(0xFF05));
        bool ok = false;
        const double value = digits.trimmed().toDouble(&ok);
        if (ok && value > 0) view.setZoom(value / 100);
        show(view.zoom());  // also what the view made of it: clamped, or unchanged
        if (ok && value > 0) view.canvas()->setFocus(Qt::OtherFocusReason);
    };
    // A level picked from the list, or a percentage typed and Enter.
    QObject::connect(field, &QComboBox::textActivated, field, take);
    QObject::connect(field->lineEdit(), &QLineEdit::returnPressed, field, [field, take] { take(field->currentText()); });
    return field;
}

}  // namespace qm
