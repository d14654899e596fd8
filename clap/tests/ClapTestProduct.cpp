#include "clap/tests/ClapTestProduct.h"

#include "foundation/ModuleResources.h"

namespace test {

namespace {

ClapTestProcessor* lastProcessor = nullptr;

} // namespace

ClapTestProductSetup& clapTestProduct() {
    static ClapTestProductSetup setup;
    return setup;
}

ClapTestProcessor* lastTestProcessor() {
    return lastProcessor;
}

const std::string& clapTestModulePath() {
    // Before any init records a module, this is the program's own file.
    static const std::string path = getLibraryModulePath();
    return path;
}

} // namespace test

const ClapProduct& clapProduct() {
    static ClapProduct product{[](GenericPluginInfo& info) {
                                   info.pluginKind = test::clapTestProduct().kind;
                                   info.pluginFlags = test::clapTestProduct().flags;
                                   info.pluginId = "TsPl";
                                   info.pluginName = test::clapTestProduct().name;
                               },
                               []() -> GenericPlugin* {
                                   test::TestPluginOptions options;
                                   options.flags = test::clapTestProduct().flags;
                                   options.midiState = true;
                                   auto* model =
                                       new test::ClapTestModel(test::clapTestProduct().name, options);
                                   model->pluginKind = test::clapTestProduct().kind;
                                   return model;
                               },
                               [](int32_t layout) -> GenericPluginProcessor* {
                                   test::lastProcessor = new test::ClapTestProcessor(
                                       test::clapTestProduct().flags, test::clapTestProduct().name, layout);
                                   return test::lastProcessor;
                               }};
    // Written only when a test changed it (on the main thread).
    if (product.editor != test::clapTestProduct().editor) product.editor = test::clapTestProduct().editor;
    return product;
}
