// The colour engine, LittleCMS, as this library uses it: one context for the whole process whose
// errors are kept quiet (a profile or transform that fails is reported by its caller), and
// owning handles for its profiles and transforms.
#pragma once

#include <lcms2.h>

#include <memory>

namespace sdk {
namespace graphic {

// The process's context, made on first use; safe to use from several threads.
cmsContext ColorContext();

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfileHandle = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using TransformHandle = std::unique_ptr<void, TransformDeleter>;

}  // namespace graphic
}  // namespace sdk
