// The --json form of the machine commands: what list, info, smart, identify and
// partitions print, as one JSON document each, written by the report's writer.
// Every document is an object whose rows are arrays of objects with named members
// (docs/CLI.md lists them); texts are the pages' texts.
#pragma once

#include <string>

namespace vexa {

class TConsoleSession;
class TIdentifyData;
class TIdentifyPageModel;
class TPartitionsModel;

std::string ListJson(TConsoleSession& session);
std::string InfoJson(TConsoleSession& session);
std::string SmartJson(TConsoleSession& session);
std::string IdentifyJson(const TIdentifyData& data, const TIdentifyPageModel& model);
// An NVMe drive's Identify fields: {"nvme":[{"structure","offset","size","label","value"}]}.
std::string NvmeIdentifyJson(const TIdentifyPageModel& model);
std::string PartitionsJson(const TPartitionsModel& model);

}  // namespace vexa
