#include "guisupport/DialogBuilder.h"

#include "guisupport/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace mirovan {
namespace {

QLabel* MakeLabel(QWidget* parent, const DialogControl& c, Qt::Alignment align)
{
    auto* label = new QLabel(c.text, parent);
    label->setAlignment(align);
    return label;
}

// The width at which an edit shows text whole. Qt sizes its hint for
// 17 "x" plus the frame and margins; one more pixel holds the cursor.
int WidthShowing(const QLineEdit& edit, const QString& text)
{
    const QFontMetrics metrics = edit.fontMetrics();
    return edit.sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x')) +
           metrics.horizontalAdvance(text) + 1;
}

// Left to right, each control starts no earlier than the template's gap
// after every control that stood left of it on its row.
void PushAlongRows(const DialogTemplate& t, std::vector<std::pair<const DialogControl*, QWidget*>>& built)
{
    std::stable_sort(built.begin(), built.end(),
                     [](const auto& a, const auto& b) { return a.first->rect.x() < b.first->rect.x(); });
    for (size_t i = 0; i < built.size(); ++i) {
        const DialogControl& c = *built[i].first;
        QWidget* w = built[i].second;
        int left = w->x();
        for (size_t j = 0; j < i; ++j) {
            const DialogControl& before = *built[j].first;
            const QRect placed = built[j].second->geometry();
            const bool sameRow = placed.top() <= w->geometry().bottom() && w->geometry().top() <= placed.bottom();
            const int templateRight = before.rect.x() + before.rect.width();
            if (!sameRow || templateRight > c.rect.x())
                continue;
            const int gap = t.ToPixels(QRect(c.rect.x(), 0, 0, 0)).x() - t.ToPixels(QRect(templateRight, 0, 0, 0)).x();
            left = std::max(left, placed.right() + 1 + gap);
        }
        w->move(left, w->y());
    }
}

} // namespace

UpDown::UpDown(QWidget* parent, int minimum, int maximum) : QWidget(parent), m_minimum(minimum), m_maximum(maximum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int step : {1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(1000);
        button->setAutoRepeatInterval(80);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        button->setObjectName(step > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        // An arrow says nothing to a screen reader.
        button->setAccessibleName(step > 0 ? QStringLiteral("増やす") : QStringLiteral("減らす"));
        connect(button, &QToolButton::clicked, this, [this, step] { Step(step); });
        layout->addWidget(button);
    }
}

void UpDown::Step(int delta)
{
    if (!m_buddy)
        return;
    bool ok = false;
    const int current = m_buddy->text().toInt(&ok);
    // A buddy text outside the range counts as the last position shown.
    if (ok && current >= m_minimum && current <= m_maximum)
        m_position = current;
    m_position = std::clamp(m_position + delta, m_minimum, m_maximum);
    m_buddy->setText(QString::number(m_position));
}

QMap<int, QWidget*> BuildControls(QWidget* parent, const DialogTemplate& t, const std::function<QIcon(int)>& icons,
                                  ControlFlow flow)
{
    parent->setFont(t.font);
    QMap<int, QWidget*> out;
    std::vector<std::pair<const DialogControl*, QWidget*>> built;
    for (const auto& c : t.controls) {
        QWidget* w = nullptr;
        if (c.kind == QLatin1String("static")) {
            w = MakeLabel(parent, c, Qt::AlignLeft | Qt::AlignTop);
            static_cast<QLabel*>(w)->setWordWrap(c.text.contains(QLatin1Char('\n')) || c.rect.height() > 12);
        } else if (c.kind == QLatin1String("rstatic")) {
            w = MakeLabel(parent, c, Qt::AlignRight | Qt::AlignVCenter);
        } else if (c.kind == QLatin1String("sunken") && c.rect.height() > 14 && !c.text.isEmpty()) {
            // A note of several lines: the look-alike faces need more lines
            // than the template holds, so it scrolls, as a read-only edit
            // control does, instead of cutting its last line.
            auto* note = new QPlainTextEdit(c.text, parent);
            note->setReadOnly(true);
            note->setFocusPolicy(Qt::NoFocus);
            note->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            note->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            note->setBackgroundRole(QPalette::Window);
            note->viewport()->setBackgroundRole(QPalette::Window);
            note->document()->setDocumentMargin(1);
            w = note;
        } else if (c.kind == QLatin1String("sunken")) {
            auto* label = MakeLabel(parent, c, Qt::AlignLeft | Qt::AlignVCenter);
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            label->setWordWrap(c.rect.height() > 14);
            if (label->wordWrap())
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setMargin(1);
            w = label;
        } else if (c.kind == QLatin1String("link")) {
            auto* label = MakeLabel(parent, c, Qt::AlignLeft | Qt::AlignVCenter);
            label->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(c.text.toHtmlEscaped()));
            label->setOpenExternalLinks(true);
            w = label;
        } else if (c.kind == QLatin1String("icon")) {
            auto* label = new QLabel(parent);
            const QSize px = t.ToPixels(c.rect.size());
            if (icons)
                label->setPixmap(icons(c.icon).pixmap(std::min(px.width(), px.height()) + 8));
            w = label;
        } else if (c.kind == QLatin1String("button") || c.kind == QLatin1String("defbutton")) {
            auto* button = new QPushButton(c.text, parent);
            button->setDefault(c.kind == QLatin1String("defbutton"));
            button->setAutoDefault(false);
            w = button;
        } else if (c.kind == QLatin1String("iconbutton")) {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);
            button->setFocusPolicy(Qt::TabFocus);
            button->setToolTip(c.tip);
            button->setAccessibleName(c.text.isEmpty() ? c.tip : c.text);
            w = button;
        } else if (c.kind == QLatin1String("check")) {
            w = new QCheckBox(c.text, parent);
        } else if (c.kind == QLatin1String("pushcheck")) {
            auto* button = new QPushButton(c.text, parent);
            button->setCheckable(true);
            button->setAutoDefault(false);
            w = button;
        } else if (c.kind == QLatin1String("edit")) {
            w = new QLineEdit(parent);
        } else if (c.kind == QLatin1String("number")) {
            auto* edit = new QLineEdit(parent);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
            w = edit;
        } else if (c.kind == QLatin1String("updown")) {
            auto* spin = new UpDown(parent, c.minimum, c.maximum);
            auto* buddy = qobject_cast<QLineEdit*>(out.value(c.buddy));
            spin->SetBuddy(buddy);
            // As the platform's up-down control does, it takes the
            // right end of its buddy's place.
            if (buddy) {
                QRect r = buddy->geometry();
                r.setRight(t.ToPixels(c.rect).left() - 1);
                buddy->setGeometry(r);
            }
            w = spin;
        } else if (c.kind == QLatin1String("droplist")) {
            auto* combo = new QComboBox(parent);
            combo->addItems(c.items);
            combo->setCurrentIndex(-1);
            w = combo;
        } else if (c.kind == QLatin1String("listview")) {
            auto* list = new QTreeWidget(parent);
            list->setRootIsDecorated(false);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setUniformRowHeights(true);
            w = list;
        } else if (c.kind == QLatin1String("group")) {
            w = new QGroupBox(c.text, parent);
        } else {
            throw std::runtime_error("unknown control kind " + qttext::ToUtf8(c.kind));
        }
        QRect r = t.ToPixels(c.rect);
        // The look-alike faces set some texts wider than the faces the
        // templates were drawn for: one-line labels and check boxes grow
        // to their text instead of cutting it.
        auto* label = qobject_cast<QLabel*>(w);
        const bool oneLineLabel = label && !label->wordWrap() && c.kind == QLatin1String("static");
        if (oneLineLabel || qobject_cast<QCheckBox*>(w))
            r.setWidth(std::max(r.width(), w->sizeHint().width()));
        // A drop-down list's template height includes its open list.
        if (qobject_cast<QComboBox*>(w)) {
            r.setHeight(t.ToPixels(QSize(0, 14)).height());
            if (flow == ControlFlow::PushAlongRows)
                r.setWidth(std::max(r.width(), w->sizeHint().width()));
        }
        // A digits-only edit with a largest value shows that value whole.
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && c.kind == QLatin1String("number") && c.maximum > 0)
            r.setWidth(std::max(r.width(), WidthShowing(*edit, QString::number(c.maximum))));
        w->setGeometry(r);
        w->setObjectName(QStringLiteral("c%1").arg(c.id));
        out.insert(c.id, w);
        if (!qobject_cast<QGroupBox*>(w))
            built.emplace_back(&c, w);
    }
    if (flow == ControlFlow::PushAlongRows)
        PushAlongRows(t, built);
    // A label's buddy names its field for a screen reader and takes the
    // focus for the label's mnemonic.
    for (const auto& c : t.controls)
        if (auto* label = qobject_cast<QLabel*>(out.value(c.id)); label && c.buddy)
            if (QWidget* field = out.value(c.buddy))
                label->setBuddy(field);
    return out;
}

} // namespace mirovan
