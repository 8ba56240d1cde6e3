// PSD to MNG: one frame per layer.
#pragma once

#include "conversion/ConvertContext.h"
#include "conversion/PsdDocument.h"

void SaveMng(ConvertContext& context, const PsdDocument& document);
