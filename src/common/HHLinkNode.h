#pragma once

#include <QJsonObject>

#include <memory>

// A node of a singly linked list of dictionaries; each node owns the rest of the list.
class HHLinkNode
{
public:
    explicit HHLinkNode(QJsonObject value);
    ~HHLinkNode();

    HHLinkNode(const HHLinkNode &) = delete;
    HHLinkNode &operator=(const HHLinkNode &) = delete;

    QJsonObject value;
    std::unique_ptr<HHLinkNode> next;
};
