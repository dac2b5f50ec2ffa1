#include "support/NoticeSpy.h"

namespace support {

NoticeSpy::NoticeSpy()
{
    spine::NodeNotices& n = spine::notices();
    m_changed = QObject::connect(&n, &spine::NodeNotices::nodeChanged, &n,
                                 [this](tagItemData* node, spine::NodeChanges what, const QObject* origin) {
                                     m_changes.push_back({node, what, origin});
                                 });
    m_deleting = QObject::connect(&n, &spine::NodeNotices::nodeDeleting, &n,
                                  [this](tagItemData* node) { m_deleted.push_back(node); });
}

NoticeSpy::~NoticeSpy()
{
    QObject::disconnect(m_changed);
    QObject::disconnect(m_deleting);
}

int NoticeSpy::count(spine::NodeChanges what, const tagItemData* node) const
{
    int n = 0;
    for (const Change& c : m_changes)
        if ((c.what & what) && (!node || c.node == node))
            ++n;
    return n;
}

spine::NodeChanges NoticeSpy::told(const tagItemData* node) const
{
    spine::NodeChanges all;
    for (const Change& c : m_changes)
        if (c.node == node)
            all |= c.what;
    return all;
}

void NoticeSpy::clear()
{
    m_changes.clear();
    m_deleted.clear();
}

} // namespace support
