// The XML HTTP request classes as built-in classes of the layer.
#include "pal/com/activation.h"
#include "pal/http/xml_http_request.h"

namespace {

template <typename T> HRESULT Create(IUnknown* outer, REFIID riid, void** ppv)
{
    return pal::CreateComObject<T>(outer, riid, ppv);
}

using pal::http::ClientXmlHttpRequest;
using pal::http::ServerXmlHttpRequest;

const pal::BuiltinClass g_classes[] = {
    {CLSID_ServerXMLHTTP60, &Create<ServerXmlHttpRequest>}, {CLSID_ServerXMLHTTP40, &Create<ServerXmlHttpRequest>},
    {CLSID_ServerXMLHTTP30, &Create<ServerXmlHttpRequest>}, {CLSID_ServerXMLHTTP, &Create<ServerXmlHttpRequest>},
    {CLSID_XMLHTTP60, &Create<ClientXmlHttpRequest>},       {CLSID_XMLHTTP40, &Create<ClientXmlHttpRequest>},
    {CLSID_XMLHTTP30, &Create<ClientXmlHttpRequest>},       {CLSID_XMLHTTP26, &Create<ClientXmlHttpRequest>},
    {CLSID_XMLHTTP, &Create<ClientXmlHttpRequest>},
};

} // namespace
