#include "pal/http/internet_handle.h"

#include "pal/base/handle_table.h"

namespace pal::http {

namespace {

using InternetHandles = HandlesOf<InternetObject, HandleKind::Internet>;

HandleValue ValueOf(HINTERNET handle)
{
    return reinterpret_cast<HandleValue>(handle);
}

} // namespace

HINTERNET AddHandle(std::shared_ptr<InternetObject> object)
{
    return reinterpret_cast<HINTERNET>(InternetHandles::Add(std::move(object)));
}

std::shared_ptr<InternetObject> FindHandle(HINTERNET handle)
{
    return InternetHandles::Find(ValueOf(handle));
}

bool RemoveHandle(HINTERNET handle)
{
    // The object goes here, outside the table's lock.
    return InternetHandles::Remove(ValueOf(handle)) != nullptr;
}

} // namespace pal::http
