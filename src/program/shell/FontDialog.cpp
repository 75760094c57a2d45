#include "program/shell/FontDialog.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSignalBlocker>
#include <cmath>
#include <optional>
#include <vector>

namespace mirovan::shell {
namespace {

std::optional<double> ParsePoints(const QString& text)
{
    bool ok = false;
    const double points = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !(points >= 1 && points <= 512))
        return std::nullopt;
    return std::round(points * 10) / 10;
}

} // namespace

FontDialog::FontDialog(QWidget* parent) : QFontDialog(parent)
{
    // The platform's own dialog could not be given half points.
    setOption(QFontDialog::DontUseNativeDialog);
    if (!TakeQtSizeWidgets())
        return;
    connect(this, &QFontDialog::currentFontChanged, this, [this] { ApplyToSample(); });
    connect(m_sizeEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (const auto points = ParsePoints(text))
            SetPoints(*points, false);
    });
    connect(m_sizeList, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (const auto points = ParsePoints(text))
            SetPoints(*points, true);
    });
}

bool FontDialog::TakeQtSizeWidgets()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid)
        return false;
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (edit->parent() == this && qobject_cast<const QIntValidator*>(edit->validator()))
            m_qtSizeEdit = edit;
        else if (qobject_cast<QGroupBox*>(edit->parent()))
            m_sample = edit;
    }
    const int index = m_qtSizeEdit ? grid->indexOf(m_qtSizeEdit) : -1;
    if (index < 0 || !m_sample)
        return false;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    // Qt puts the size list right under its size field.
    QLayoutItem* below = grid->itemAtPosition(row + 1, column);
    auto* qtList = below ? qobject_cast<QListView*>(below->widget()) : nullptr;
    if (!qtList || !qtList->model())
        return false;
    m_qtSizeList = qtList;

    m_sizeEdit = new QLineEdit(this);
    auto* validator = new QDoubleValidator(1, 512, 1, m_sizeEdit);
    validator->setLocale(QLocale::c());
    validator->setNotation(QDoubleValidator::StandardNotation);
    m_sizeEdit->setValidator(validator);
    m_sizeEdit->setMinimumSize(m_qtSizeEdit->minimumSize());
    m_sizeEdit->setMaximumSize(m_qtSizeEdit->maximumSize());
    m_sizeEdit->installEventFilter(this);
    m_sizeList = new QListWidget(this);
    m_sizeList->setMinimumSize(m_qtSizeList->minimumSize());
    m_sizeList->setMaximumSize(m_qtSizeList->maximumSize());
    // The layout hands back the items of the replaced widgets to be freed.
    delete grid->replaceWidget(m_qtSizeEdit, m_sizeEdit);
    delete grid->replaceWidget(m_qtSizeList, m_sizeList);
    m_qtSizeEdit->hide();
    m_qtSizeList->hide();
    for (QLabel* label : findChildren<QLabel*>())
        if (label->buddy() == m_qtSizeEdit)
            label->setBuddy(m_sizeEdit);
    setTabOrder(m_qtSizeList, m_sizeEdit);
    setTabOrder(m_sizeEdit, m_sizeList);
    // Qt refills its list for each face and style: ours follows.
    connect(qtList->model(), &QAbstractItemModel::modelReset, this, [this] { FillSizes(); });
    FillSizes();
    return true;
}

void FontDialog::FillSizes()
{
    const QAbstractItemModel* model = static_cast<QListView*>(m_qtSizeList)->model();
    std::vector<double> sizes;
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto points = ParsePoints(model->data(model->index(row, 0)).toString());
        if (!points)
            continue;
        // The half point between two neighbouring whole sizes (10.5).
        if (!sizes.empty() && *points - sizes.back() == 1)
            sizes.push_back(sizes.back() + 0.5);
        sizes.push_back(*points);
    }
    const QSignalBlocker blocker(m_sizeList);
    m_sizeList->clear();
    for (double points : sizes) {
        m_sizeList->addItem(SizeText(points));
        if (points == m_points)
            m_sizeList->setCurrentRow(m_sizeList->count() - 1);
    }
}

void FontDialog::SetPoints(double points, bool fromList)
{
    m_points = points;
    if (fromList) {
        m_sizeEdit->setText(SizeText(points));
    } else {
        const QSignalBlocker blocker(m_sizeList);
        const QList<QListWidgetItem*> same = m_sizeList->findItems(SizeText(points), Qt::MatchExactly);
        if (same.isEmpty()) {
            m_sizeList->setCurrentRow(-1);
            m_sizeList->clearSelection();
        } else {
            m_sizeList->setCurrentItem(same.front());
            m_sizeList->scrollToItem(same.front());
        }
    }
    // Qt's own state stays in whole points; the sample gets the real size.
    m_qtSizeEdit->setText(QString::number(static_cast<int>(points)));
    ApplyToSample();
}

void FontDialog::ApplyToSample()
{
    if (!m_sample || m_points <= 0)
        return;
    QFont font = m_sample->font();
    if (font.pointSizeF() != m_points) {
        font.setPointSizeF(m_points);
        m_sample->setFont(font);
    }
}

void FontDialog::Start(const QFont& font)
{
    setCurrentFont(font);
    // A Mincho or Gothic face is judged by its kana and kanji; Qt's own
    // sample, set again as the font is chosen, has neither.
    if (m_sample)
        m_sample->setText(QStringLiteral("あア亜 Aa 12"));
    if (!m_sizeEdit)
        return;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    if (const auto parsed = ParsePoints(QString::number(points))) {
        m_sizeEdit->setText(SizeText(*parsed));
        SetPoints(*parsed, false);
    }
}

QFont FontDialog::Chosen() const
{
    QFont font = currentFont();
    if (m_points > 0)
        font.setPointSizeF(m_points);
    return font;
}

QString FontDialog::SizeText(double points)
{
    const double tenths = std::round(points * 10);
    if (std::fmod(tenths, 10) == 0)
        return QString::number(static_cast<long long>(tenths / 10));
    return QString::number(tenths / 10, 'f', 1);
}

bool FontDialog::eventFilter(QObject* watched, QEvent* event)
{
    // As in Qt's own size field: the arrow keys walk the list.
    if (watched == m_sizeEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(m_sizeList, event);
            m_sizeEdit->selectAll();
            return true;
        }
    }
    return QFontDialog::eventFilter(watched, event);
}

} // namespace mirovan::shell
