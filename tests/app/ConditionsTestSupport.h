#pragma once
// Helpers of the conditions form's tests: stored conditions of every kind,
// a text picture of a tree, and clicks on a node's check box.

#include "app/ConditionsSettings.h"
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/TfrmConditions.h"
#include "search/EngineTestSupport.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>
#include <string>

namespace conditionstest {

// "[x] caption" per node, children indented by two blanks.
inline std::string Dump(const QTreeWidget& tree) {
    std::string out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) {
        const app::TCheckedTreeNode* node = app::TCheckedTreeNode::From(*it);
        const int level = node->Level();
        out += std::string(size_t(level) * 2, ' ') + (node->Checked() ? "[x] " : "[ ] ") +
               node->Caption().toStdString() + "\n";
    }
    return out;
}

// The node captioned `caption` (the first in tree order), or nullptr.
inline app::TCheckedTreeNode* Node(QTreeWidget& tree, const QString& caption) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->text(0) == caption) return app::TCheckedTreeNode::From(*it);
    return nullptr;
}

// A press `dx` pixels into the node's indentation (the check box lies
// between 12 and 32, exclusive).
inline bool Click(app::TfrmConditions& form, QTreeWidget& tree, app::TCheckedTreeNode* node, int dx = 20) {
    if (!node) return false;
    tree.scrollToItem(node);
    const QRect rect = tree.visualItemRect(node);
    return form.tvSearchMouseDown(&tree, {node->Level() * 19 + dx, rect.center().y()});
}

// A test with the search engine and a conditions form over it; the form is
// freed before the engine.
class FormTest : public enginetest::EngineTest {
protected:
    void TearDown() override {
        form.reset();
        EngineTest::TearDown();
    }
    app::TfrmConditions& Make() {
        form = std::make_unique<app::TfrmConditions>();
        form->SetEngine(engine.get());
        return *form;
    }

    std::unique_ptr<app::TfrmConditions> form;
};

} // namespace conditionstest
