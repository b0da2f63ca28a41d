#pragma once
// A node of the conditions trees: a tree item that knows what condition it
// stands for (its kind) and whether it is checked. The check state is shown
// as the item's icon, an empty or a ticked 11x11 box.

#include <QIcon>
#include <QTreeWidgetItem>

#include <cstdint>

namespace app {

class TCheckedTreeNode : public QTreeWidgetItem {
public:
    // The item type Qt reports for these nodes.
    static constexpr int NodeType = QTreeWidgetItem::UserType + 1;

    TCheckedTreeNode(uint8_t kind, const QString& caption);

    uint8_t Kind() const { return m_kind; }
    // On the "Ищу" root and the marriage group: the marriage items use the
    // woman's wording (the sought gender is "F").
    bool FemaleWording() const { return m_femaleWording; }
    void SetFemaleWording(bool value) { m_femaleWording = value; }

    bool Checked() const { return m_checked; }
    void SetChecked(bool checked);

    QString Caption() const { return text(0); }
    void SetCaption(const QString& caption) { setText(0, caption); }

    // The node's parent as a checked node; nullptr for a root.
    TCheckedTreeNode* ParentNode() const;
    // Child `index` as a checked node; nullptr outside the children.
    TCheckedTreeNode* ChildNode(int index) const;
    // The number of ancestors; a root is level 0.
    int Level() const;

    // `item` as a checked node, or nullptr for any other item.
    static TCheckedTreeNode* From(QTreeWidgetItem* item);

    // The two check pictures: index 0 the empty box, 1 the ticked one.
    static const QIcon& CheckIcon(bool checked);
    static constexpr int CheckIconSize = 11;

private:
    uint8_t m_kind;
    bool m_femaleWording = false;
    bool m_checked = false;
};

} // namespace app
