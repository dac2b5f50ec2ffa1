#pragma once
// Records the change notices (app/spine/NodeNotice.h) sent while it lives.
#include "app/spine/NodeNotice.h"

#include <QObject>
#include <vector>

namespace support {

class NoticeSpy {
public:
    struct Change {
        tagItemData* node;
        spine::NodeChanges what;
        const QObject* origin;
    };

    NoticeSpy();
    ~NoticeSpy();
    NoticeSpy(const NoticeSpy&) = delete;
    NoticeSpy& operator=(const NoticeSpy&) = delete;

    const std::vector<Change>& changes() const { return m_changes; }
    const std::vector<tagItemData*>& deleted() const { return m_deleted; }
    // Notices that told of any of `what` for the node (null: for any node).
    int count(spine::NodeChanges what, const tagItemData* node = nullptr) const;
    // Every kind told for the node.
    spine::NodeChanges told(const tagItemData* node) const;
    void clear();

private:
    std::vector<Change> m_changes;
    std::vector<tagItemData*> m_deleted;
    QMetaObject::Connection m_changed, m_deleting;
};

} // namespace support
