#pragma once
// Inside the component model: the published tables of a class, as the class
// registry keeps them. Not for application code.

#include <vector>

#include "platform/rtl/Object.h"

class TPublisherBase;
class TPropInfo;

// What the class itself publishes, or nullptr for a class that is not registered.
const TPublisherBase* OwnTables(const TClassInfo& Class);
// Its properties and its ancestors', merged (ancestors first).
const std::vector<const TPropInfo*>& MergedProperties(const TClassInfo& Class);
