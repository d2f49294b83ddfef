// Fuzz target over the network configuration file as the import reads it:
// the bounds scan, the XML parse and the check of the values found.
#include <cstddef>
#include <cstdint>

#include "NetXml.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AbortOnToolkitAssert();
    NetXmlValues values;
    if (ParseNetXml(reinterpret_cast<const char*>(data), size, &values) == XmlLoad::Loaded)
        for (int nwtype : {0, 1})
            XmlRefusalText(CheckNetXml(values, nwtype, 63), 63);
    return 0;
}
