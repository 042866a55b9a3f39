#include "widgets/widgets_p.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

// The bar's accessible children are its visible section buttons followed by the open section's items.

void TButtonBar::announceChildrenChanged() {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

void TButtonBar::announceSectionSelected(int section) {
    if (!QAccessible::isActive()) return;
    if (QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(this)) {
        if (QAccessibleInterface* tab = bar->child(section)) {
            QAccessible::State selected;
            selected.selected = true;
            QAccessibleStateChangeEvent event(tab, selected);
            QAccessible::updateAccessibility(&event);
        }
    }
}

namespace {

enum class PartKind { SectionButton, Item };

int sectionSlots(const TButtonBar& bar) {
    return bar.SingleSectionMode() ? 0 : bar.Sections().Count();
}

const TButtonBarSection* shownSection(const TButtonBar& bar) {
    const int open = bar.ActiveSection();
    return open >= 0 && open < bar.Sections().Count() ? bar.Sections()[open] : nullptr;
}

int itemSlots(const TButtonBar& bar) {
    const TButtonBarSection* section = shownSection(bar);
    return section ? section->Items().Count() : 0;
}

class ButtonBarPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ButtonBarPartAccessible(TButtonBar* bar, PartKind kind, int index)
        : m_bar(bar), m_kind(kind), m_index(index) {}

    PartKind kind() const { return m_kind; }
    int index() const { return m_index; }

    bool isValid() const override {
        if (!m_bar) return false;
        return m_index < (m_kind == PartKind::SectionButton ? sectionSlots(*m_bar) : itemSlots(*m_bar));
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return m_bar ? QAccessible::queryAccessibleInterface(m_bar.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const bool section = m_kind == PartKind::SectionButton;
        switch (t) {
        case QAccessible::Name:
            return section ? m_bar->Sections()[m_index]->Caption() : item()->Caption();
        case QAccessible::Description:
            return section ? m_bar->Sections()[m_index]->Hint() : item()->Hint();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const TButtonBarGeometry g = TButtonBarInternals::barGeometry(*m_bar);
        const QRect local =
            m_kind == PartKind::SectionButton ? g.buttons[m_index] : g.items[m_index].intersected(g.itemArea);
        return local.isEmpty() ? QRect() : QRect(m_bar->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override {
        return m_kind == PartKind::SectionButton ? QAccessible::PageTab : QAccessible::PushButton;
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        const bool enabled =
            m_kind == PartKind::SectionButton ? m_bar->Sections()[m_index]->Enabled() : item()->Enabled();
        st.disabled = !enabled || !m_bar->isEnabled();
        st.invisible = !m_bar->isVisible();
        st.offscreen = rect().isEmpty();
        if (m_kind == PartKind::SectionButton) {
            st.selectable = true;
            st.selected = m_index == m_bar->ActiveSection();
        } else {
            st.pressed = m_index == TButtonBarInternals::pressedItem(*m_bar);
            st.hotTracked = m_index == TButtonBarInternals::hotItem(*m_bar);
        }
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name != pressAction() || !isValid()) return;
        if (m_kind == PartKind::SectionButton)
            m_bar->setActiveSection(m_index);
        else
            m_bar->clickItem(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TButtonBarItem* item() const { return shownSection(*m_bar)->Items()[m_index]; }

    QPointer<TButtonBar> m_bar;
    PartKind m_kind;
    int m_index;
};

class ButtonBarAccessible : public QAccessibleWidget {
public:
    explicit ButtonBarAccessible(TButtonBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~ButtonBarAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_parts))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return sectionSlots(*bar()) + itemSlots(*bar()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        const int sections = sectionSlots(*bar());
        const PartKind kind = index < sections ? PartKind::SectionButton : PartKind::Item;
        const int partIndex = index < sections ? index : index - sections;
        // Parts are addressed by position and read the bar live, so one interface per position lasts
        // for the bar's lifetime.
        const quint64 key = (quint64(kind) << 32) | quint32(partIndex);
        if (const auto found = m_parts.constFind(key); found != m_parts.cend())
            return QAccessible::accessibleInterface(*found);
        auto* part = new ButtonBarPartAccessible(bar(), kind, partIndex);
        m_parts.insert(key, QAccessible::registerAccessibleInterface(part));
        return part;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = m_parts.cbegin(); it != m_parts.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) != child) continue;
            const auto* part = static_cast<const ButtonBarPartAccessible*>(child);
            if (!part->isValid()) return -1;
            return part->kind() == PartKind::SectionButton ? part->index()
                                                           : sectionSlots(*bar()) + part->index();
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint pos = bar()->mapFromGlobal(QPoint(x, y));
        if (const int section = TButtonBarInternals::sectionAt(*bar(), pos); section >= 0)
            return child(section);
        if (const int item = TButtonBarInternals::itemAt(*bar(), pos); item >= 0)
            return child(sectionSlots(*bar()) + item);
        return nullptr;
    }

private:
    TButtonBar* bar() const { return static_cast<TButtonBar*>(widget()); }

    mutable QHash<quint64, QAccessible::Id> m_parts;
};

QAccessibleInterface* buttonBarAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("TButtonBar")) return nullptr;
    auto* bar = qobject_cast<TButtonBar*>(object);
    return bar ? new ButtonBarAccessible(bar) : nullptr;
}

} // namespace

void installButtonBarAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(buttonBarAccessibleFactory);
}
