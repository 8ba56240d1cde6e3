// The files a document embeds for its placed layers (smart objects), written as the document
// stores them, byte for byte, below NAME/smart/ (--smart-objects). A file the document only links
// to (it lives outside it) is named in a note and in the manifest, never copied.
#pragma once

#include "conversion/ConvertContext.h"
#include "conversion/psd/PsdDocument.h"

namespace sdk {
namespace graphic {
class ImageLoaderPSD;
}  // namespace graphic
}  // namespace sdk

// Names the document's embedded files (document.smartObjects and smartObjectFiles): each once,
// the first record of its unique id, below NAME/smart/ by its stored name made safe as layer
// names are (SafeLayerName; "_" for a name that leaves nothing), a name without an extension
// taking its file type's ("8BPS" .psd, "8BPB" .psb, "png " .png). A name that an earlier file or
// a layer PNG takes already is numbered before its extension ("x (2).png"), and a name too long
// for the file system is cut to fit. Call after NameLayerPngs.
void NameSmartObjects(PsdDocument& document, const sdk::graphic::ImageLoaderPSD& psd);

// Writes the named files at their turn, in their order: each after its status line ("a.psd →
// smart/x.png"), whole or not at all, then reported and a progress step.
void WriteSmartObjects(ConvertContext& context, const PsdDocument& document,
                       sdk::graphic::ImageLoaderPSD& psd);

// The notes of the document's linked file records for a caller that takes remarks: their damage,
// if any, and with external each file that lives outside the document (its name and where it
// lives: it is not copied).
void NoteLinkedFiles(ConvertContext& context, const sdk::graphic::ImageLoaderPSD& psd,
                     bool external);
