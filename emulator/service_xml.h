#pragma once

#include "emulator/service_data.h"
#include "emulator/xml_writer.h"

#include <string>

// The service's objects in the XML of its replies. Each Write*Fields function
// writes the fields only, so the caller picks the element around them (the
// method's Result element at the top, Group or PhotoSet when nested).
namespace emulator {

enum class DetailLevel { Level1, Level2, Full };

std::string UploadUrl(const PhotoSet& set);
std::string PageUrl(const ServiceData& data, const std::string& owner, std::int64_t id);

void WriteUserFields(XmlWriter& w, const ServiceData& data, const Account& account);
// Groups nest with all their elements; photo sets inside show Level2 fields.
void WriteGroupFields(XmlWriter& w, const ServiceData& data, const Group& group);
void WritePhotoSetFields(XmlWriter& w, const ServiceData& data, const PhotoSet& set, DetailLevel level,
                         bool include_photos);
void WriteCategories(XmlWriter& w);

} // namespace emulator
