#include "conversion/psd/PsdUndrawnNote.h"

#include "conversion/psd/PsdLayerSelection.h"
#include "files/Format.h"
#include "render/compose/UndrawnParts.h"

std::string UndrawnNote(sdk::graphic::ImageLoaderPSD& psd)
{
    std::string note;
    for (const sdk::render::UndrawnLayer& layer : sdk::render::UndrawnLayers(psd)) {
        std::string parts;
        for (const std::string& part : layer.parts)
            parts += (parts.empty() ? "" : ", ") + part;
        note += sdk::files::Format("%slayer %d \"%s\": %s not drawn", note.empty() ? "" : "; ",
                                   layer.layer + 1, LayerPathShown(psd, layer.layer).c_str(),
                                   parts.c_str());
    }
    return note;
}
