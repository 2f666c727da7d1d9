#include "common/HHLinkNode.h"

#include <utility>

HHLinkNode::HHLinkNode(QJsonObject value)
    : value(std::move(value))
{
}

HHLinkNode::~HHLinkNode()
{
    // Unlink iteratively: the default recursive destruction of a long chain would overflow the
    // stack.
    std::unique_ptr<HHLinkNode> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}
