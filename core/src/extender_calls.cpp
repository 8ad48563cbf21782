// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/extender_calls.h"

#include "vistrel_extender.h"

#include <string>

namespace vistrel::ext {

void* Lookup(ExtenderHandle h, const char* operation)
{
    if (!h)
        return nullptr;
    std::string symbol = std::string(VISTREL_SYMBOL_PREFIX) + operation;
    return platform::FindSymbol(h, symbol.c_str());
}

namespace {

template <typename Fn> Fn Bind(ExtenderHandle h, const char* operation)
{
    return reinterpret_cast<Fn>(Lookup(h, operation));
}

const char* Text(ExtenderHandle h, const char* operation)
{
    auto fn = Bind<VistrelTextFn>(h, operation);
    return fn ? fn() : nullptr;
}

} // namespace

const char* ID(ExtenderHandle h) { return Text(h, "ID"); }
const char* Version(ExtenderHandle h) { return Text(h, "version"); }
const char* Description(ExtenderHandle h) { return Text(h, "description"); }
const char* ShortName(ExtenderHandle h) { return Text(h, "shortname"); }
const char* Extensions(ExtenderHandle h) { return Text(h, "extensions"); }
const char* ReturnType(ExtenderHandle h) { return Text(h, "returnType"); }
const char* MenuDefinition(ExtenderHandle h) { return Text(h, "MenuDefinition"); }

const char* GetError(ExtenderHandle h)
{
    auto fn = Bind<VistrelGetErrorFn>(h, "getError");
    return fn ? fn() : nullptr;
}

void* GetDefParams(ExtenderHandle h)
{
    auto fn = Bind<VistrelGetDefParamsFn>(h, "GetDefParams");
    return fn ? fn() : nullptr;
}

gmem::Handle Read(ExtenderHandle h, const char* path, void* block)
{
    auto fn = Bind<VistrelReadFn>(h, "read");
    return fn ? fn(path, block) : nullptr;
}

void* SetupDialog(ExtenderHandle h, const char* text, void* block)
{
    auto fn = Bind<VistrelSetupDialogFn>(h, "setupDialog");
    return fn ? fn(text, block) : nullptr;
}

bool Show(ExtenderHandle h, gmem::Handle image, void* block)
{
    auto fn = Bind<VistrelShowFn>(h, "show");
    return fn && fn(image, block) != 0;
}

int ShowFailure(ExtenderHandle h)
{
    auto fn = Bind<VistrelShowFailureFn>(h, "showFailure");
    return fn ? fn() : 0;
}

void* RunCommand(ExtenderHandle h, void* block, int command)
{
    auto fn = Bind<VistrelRunCommandFn>(h, "RunCommand");
    return fn ? fn(block, command) : nullptr;
}

std::uint32_t MenuFlagsPosition(ExtenderHandle h, void* block)
{
    auto fn = Bind<VistrelMenuFlagsPositionFn>(h, "MenuFlagsPosition");
    return fn ? fn(block) : 0;
}

bool DaemonFunction(ExtenderHandle h, void* block)
{
    auto fn = Bind<VistrelDaemonFunctionFn>(h, "DaemonFunction");
    return fn && fn(block) != 0;
}

void* Setup(ExtenderHandle h, void* block)
{
    auto fn = Bind<VistrelSetupFn>(h, "Setup");
    return fn ? fn(block) : nullptr;
}

char* TimeSchedulationDescription(ExtenderHandle h, void* block)
{
    auto fn = Bind<VistrelDescriptionFn>(h, "TimeSchedulationDescription");
    return fn ? fn(block) : nullptr;
}

gmem::Handle GetIcon(ExtenderHandle h, int resource, int size)
{
    auto fn = Bind<VistrelGetIconFn>(h, "GetIcon");
    return fn ? fn(resource, size) : nullptr;
}

} // namespace vistrel::ext
