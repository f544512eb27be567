#include "backend/BackendViewModel.h"
#include "support/FakeBackend.h"

#include <QtTest>

#include <functional>

using namespace std::chrono_literals;

namespace {

// Runs an operation and describes its outcome: the result as text, or "error: {description}".
using Operation = std::function<QCoro::Task<QString>(BackendViewModel &)>;

QCoro::Task<QString> describe(BackendViewModel *model, Operation operation)
{
    try {
        QString result = co_await operation(*model);
        co_return result;
    } catch (const std::exception &error) {
        co_return QStringLiteral("error: ") + errorDescription(error);
    }
}

QString run(BackendViewModel &model, const Operation &operation)
{
    return QCoro::waitFor(describe(&model, operation));
}

template <typename T> QCoro::Task<QString> ignoring(QCoro::Task<T> task)
{
    co_await task;
    co_return QStringLiteral("ok");
}

QString text(const JSONValue &value)
{
    return QString::fromUtf8(value.encode());
}

QMap<QString, Operation> operations()
{
    QMap<QString, Operation> ops;
    ops["generateImage minimal"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        GenerateImageRequest request;
        request.prompt = QStringLiteral("neon skyline");
        request.width = 512;
        request.height = 768;
        const GenerationResultData result = co_await m.generateImage(request);
        co_return text(result.toJSON());
    };
    ops["generateImage full"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        GenerateImageRequest r{ QStringLiteral("p"), 1024, 1024, QStringLiteral("blurry"),
            QStringLiteral("flux-dev"), 20, 42, QStringLiteral("1:1"), QStringLiteral("/src.png"), 0.6,
            QStringList{ QStringLiteral("/a.safetensors") }, QList<double>{ 0.8 } };
        const GenerationResultData result = co_await m.generateImage(r);
        co_return text(result.toJSON());
    };
    ops["generateImage empty loras"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        GenerateImageRequest r;
        r.prompt = QStringLiteral("p");
        r.loraPaths = QStringList();
        r.loraScales = QList<double>();
        const GenerationResultData result = co_await m.generateImage(r);
        co_return text(result.toJSON());
    };
    ops["upscaleImage"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const UpscaleResultData result
            = co_await m.upscaleImage(QStringLiteral("/a.png"), 3000, 3000, QStringLiteral("lanczos"));
        co_return text(result.toJSON());
    };
    ops["refinePrompt"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const QString refined = co_await m.refinePrompt(QStringLiteral("a sad robot"));
        co_return refined;
    };
    ops["askArtist"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        QMap<QString, QString> entry;
        entry.insert(QStringLiteral("role"), QStringLiteral("user"));
        entry.insert(QStringLiteral("content"), QStringLiteral("earlier"));
        const QList<QMap<QString, QString>> history{ entry };
        const ArtistResponse response = co_await m.askArtist(QStringLiteral("hi"), history, true);
        co_return response.text + QStringLiteral("|") + response.imagePath.value_or(QStringLiteral("-"))
            + QStringLiteral("|") + response.model.value_or(QStringLiteral("-"));
    };
    ops["setConfig"] = [](BackendViewModel &m) {
        return ignoring(
            m.setConfig(JSONObject{ { QStringLiteral("llm_provider"), QStringLiteral("ollama") } }));
    };
    ops["getSystemInfo"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const JSONObject info = co_await m.getSystemInfo();
        co_return text(info);
    };
    ops["unloadModel"] = [](BackendViewModel &m) { return ignoring(m.unloadModel()); };
    ops["getMCPStatus"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const MCPStatus status = co_await m.getMCPStatus();
        co_return QString(QStringLiteral("%1|%2"))
            .arg(status.available)
            .arg(status.binaryPath.value_or(QStringLiteral("-")));
    };
    ops["getGallery"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const QList<GalleryItemData> items = co_await m.getGallery();
        co_return QString::number(items.size());
    };
    ops["getGalleryPage"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const GalleryPageResponse page = co_await m.getGalleryPage(0, 50);
        co_return QString(QStringLiteral("%1 items, total %2, offset %3, limit %4"))
            .arg(page.items.size())
            .arg(page.totalCount)
            .arg(page.offset)
            .arg(page.limit);
    };
    ops["deleteArtwork"] = [](BackendViewModel &m) { return ignoring(m.deleteArtwork(QStringLiteral("x"))); };
    ops["updateArtwork"] = [](BackendViewModel &m) {
        return ignoring(m.updateArtwork(QStringLiteral("x"),
            JSONObject{
                { QStringLiteral("id"), QStringLiteral("y") }, { QStringLiteral("favorite"), true } }));
    };
    ops["setImageBackend"]
        = [](BackendViewModel &m) { return ignoring(m.setImageBackend(QStringLiteral("procedural"))); };
    ops["getCollections"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const QList<Collection> collections = co_await m.getCollections();
        QStringList names;
        for (const Collection &c : collections)
            names << QString(QStringLiteral("%1=%2")).arg(c.name).arg(c.count);
        co_return names.join(QStringLiteral(","));
    };
    ops["addToCollection"] = [](BackendViewModel &m) {
        return ignoring(m.addToCollection(QStringLiteral("x"), QStringLiteral("Album Covers")));
    };
    ops["removeFromCollection"] = [](BackendViewModel &m) {
        return ignoring(m.removeFromCollection(QStringLiteral("x"), QStringLiteral("Album Covers")));
    };
    ops["checkDiskSpace"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const DiskStatus status = co_await m.checkDiskSpace();
        co_return text(status.toJSON());
    };
    ops["cancelGeneration"] = [](BackendViewModel &m) { return ignoring(m.cancelGeneration()); };
    ops["cancelGeneration with id"]
        = [](BackendViewModel &m) { return ignoring(m.cancelGeneration(QStringLiteral("R1"))); };
    ops["batchDeleteArtwork"] = [](BackendViewModel &m) {
        return ignoring(m.batchDeleteArtwork({ QStringLiteral("b"), QStringLiteral("a") }));
    };
    ops["batchTagArtwork"] = [](BackendViewModel &m) {
        return ignoring(
            m.batchTagArtwork({ QStringLiteral("a") }, { QStringLiteral("moody") }, QStringLiteral("add")));
    };
    ops["batchRateArtwork"] = [](BackendViewModel &m) {
        return ignoring(m.batchRateArtwork({ QStringLiteral("a"), QStringLiteral("b") }, 4));
    };
    ops["batchExportArtwork"] = [](BackendViewModel &m) {
        return ignoring(
            m.batchExportArtwork({ QStringLiteral("a") }, QStringLiteral("/out"), QStringLiteral("png")));
    };
    ops["listTemplates"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const QList<JSONObject> templates = co_await m.listTemplates();
        co_return QString::number(templates.size());
    };
    ops["listTemplates album"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const QList<JSONObject> templates = co_await m.listTemplates(QStringLiteral("album"));
        co_return QString::number(templates.size());
    };
    ops["applyTemplate"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        QMap<QString, QString> values;
        values.insert(QStringLiteral("genre"), QStringLiteral("synthwave"));
        const QString prompt = co_await m.applyTemplate(QStringLiteral("t1"), values);
        co_return prompt;
    };
    ops["compositeImage bare"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        CompositeImageRequest request;
        request.imagePath = QStringLiteral("/a.png");
        request.layout = QStringLiteral("track");
        const QString path = co_await m.compositeImage(request);
        co_return path;
    };
    ops["compositeImage full"] = [](BackendViewModel &m) -> QCoro::Task<QString> {
        const CompositeImageRequest request{ QStringLiteral("/a.png"), QStringLiteral("album"),
            QStringLiteral("Night"), QStringLiteral("Ava"), QStringLiteral("Drive"),
            QStringLiteral("Synth") };
        const QString path = co_await m.compositeImage(request);
        co_return path;
    };
    return ops;
}

// A backend project in a temporary directory whose code and interpreter are the scripted
// fake's, so that the model's own project lookup and .env handling are exercised.
struct FakeProject {
    FakeBackend fake;
    QTemporaryDir root;

    explicit FakeProject(const QByteArray &dotEnv = {})
    {
        QFile::link(fake.projectRoot() + "/src", root.filePath("src"));
        QFile::link(fake.projectRoot() + "/.venv", root.filePath(".venv"));
        if (!dotEnv.isEmpty()) {
            QFile file(root.filePath(".env"));
            file.open(QIODevice::WriteOnly);
            file.write(dotEnv);
        }
    }

    // The child inherits the test's environment, which carries the script's location.
    void attach(BackendViewModel &model)
    {
        const QMap<QString, QString> environment = fake.environment();
        for (auto it = environment.begin(); it != environment.end(); ++it) {
            if (it.key() != "PYTHONPATH")
                qputenv(it.key().toUtf8(), it.value().toUtf8());
        }
        model.setSearchPaths({ QString(), QString(), root.path() });
        model.setLaunchCheckDelay(0ms);
    }
};

} // namespace

class BackendViewModelTest : public QObject {
    Q_OBJECT

private slots:
    void resolvesProjectRoot_data();
    void resolvesProjectRoot();
    void parsesDotEnv_data();
    void parsesDotEnv();
    void missingInterpreterLogsAndLeavesNoClient();
    void launchConnectsAndListsModels();
    void dotEnvReachesTheChild();
    void nullPingResultLeavesConnectionUnchanged();
    void badModelListIsLoggedAndKept();
    void interruptedGenerationFailsAndReconnectWorks_data();
    void interruptedGenerationFailsAndReconnectWorks();
    void sendsCatalogueParams_data();
    void sendsCatalogueParams();
    void readsCatalogueResults_data();
    void readsCatalogueResults();
    void busyFlagsClearOnEveryWayOut_data();
    void busyFlagsClearOnEveryWayOut();
};

void BackendViewModelTest::resolvesProjectRoot_data()
{
    QTest::addColumn<QString>("backendAt"); // where a project with the marker lives, relative to the tree
    QTest::addColumn<bool>("withVenv");
    QTest::addColumn<QString>("expected"); // "resources", a relative directory, or "dev"
    QTest::newRow("installed backend with its venv")
        << "share/pictavia/artwork-backend" << true << "resources";
    QTest::newRow("installed backend without venv is passed over")
        << "share/pictavia/artwork-backend" << false << "dev";
    QTest::newRow("beside the executable") << "bin" << false << "bin";
    QTest::newRow("five levels above the executable's directory") << "" << false << "";
    QTest::newRow("six levels above is too far") << "../x" << false << "dev";
}

void BackendViewModelTest::resolvesProjectRoot()
{
    QFETCH(QString, backendAt);
    QFETCH(bool, withVenv);
    QFETCH(QString, expected);
    QTemporaryDir tree;
    // The executable sits five levels below the tree's top: <tree>/a/b/c/d/bin/pictavia.
    const QString top = tree.filePath("t");
    const QString exeDir = top + "/a/b/c/d/bin";
    QDir().mkpath(exeDir);
    QDir().mkpath(top + "/a/b/c/d/share/pictavia");
    QString projectDir = backendAt.startsWith("share") ? top + "/a/b/c/d/" + backendAt
        : backendAt == "bin"                           ? exeDir
        : backendAt.isEmpty()                          ? top
                                                       : tree.path();
    QDir().mkpath(projectDir + "/src/artwork");
    QFile(projectDir + "/src/artwork/rpc_server.py").open(QIODevice::WriteOnly);
    if (withVenv) {
        QDir().mkpath(projectDir + "/.venv/bin");
        QFile(projectDir + "/.venv/bin/python").open(QIODevice::WriteOnly);
    }
    const BackendSearchPaths paths{ top + "/a/b/c/d/share/pictavia", exeDir + "/pictavia", "/dev/checkout" };
    const QString resolved = resolveBackendProjectRoot(paths);
    const QString want = expected == "resources" ? projectDir
        : expected == "dev"                      ? "/dev/checkout"
                                                 : projectDir;
    QCOMPARE(QDir::cleanPath(resolved), QDir::cleanPath(want));
}

void BackendViewModelTest::parsesDotEnv_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("entries"); // "KEY=value" in order
    QTest::newRow("spaces, comment, blank, no equals")
        << QByteArray("KEY = v\n# comment\n\n   \nno equals here\n") << QStringList{ "KEY=v" };
    QTest::newRow("split at the first equals") << QByteArray("A=b=c") << QStringList{ "A=b=c" };
    QTest::newRow("quotes and export kept")
        << QByteArray("Q=\"quoted\"\nexport E=1\n") << QStringList{ "Q=\"quoted\"", "export E=1" };
    QTest::newRow("tabs trimmed, CRLF accepted")
        << QByteArray("\tT\t=\tx \r\nU=y\r\n") << QStringList{ "T=x", "U=y" };
    QTest::newRow("not UTF-8 is skipped whole") << QByteArray("A=\xff\xfe\n") << QStringList{};
}

void BackendViewModelTest::parsesDotEnv()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, entries);
    QStringList parsed;
    for (const auto &[key, value] : parseDotEnv(contents))
        parsed << key + "=" + value;
    QCOMPARE(parsed, entries);
}

void BackendViewModelTest::missingInterpreterLogsAndLeavesNoClient()
{
    QTemporaryDir empty;
    BackendViewModel model;
    model.setSearchPaths({ QString(), QString(), empty.path() });
    LogCapture log;
    model.start();
    QCOMPARE(log.entries(),
        QStringList{ "[Backend] Python venv not found at " + empty.path() + "/.venv/bin/python" });
    QVERIFY(!model.client());
    QCOMPARE(run(model, operations()["unloadModel"]), "error: Python backend is not running.");
}

void BackendViewModelTest::launchConnectsAndListsModels()
{
    FakeProject project;
    project.fake.addReply(
        "list_models", JSONArray{ JSONObject{ { "id", "procedural" }, { "name", "Procedural" } } });
    BackendViewModel model;
    project.attach(model);
    LogCapture log;
    model.start();
    QTRY_VERIFY(model.isConnected());
    QTRY_COMPARE(model.availableModels().size(), 1);
    QCOMPARE(model.availableModels()[0].value("name"), "Procedural");
    QCOMPARE(project.fake.receivedMethods(), (QStringList{ "ping", "list_models" }));
    QVERIFY(log.contains("[Backend] Started"));
    model.stop();
    QVERIFY(!model.isConnected());
}

void BackendViewModelTest::dotEnvReachesTheChild()
{
    FakeProject project("PYTHONPATH=" + QByteArray(PICTAVIA_FAKE_BACKEND_DIR) + "/src\nARTWORK_FLAG = on\n");
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    const JSONObject environment = project.fake.childEnvironment();
    QCOMPARE(*environment.find("ARTWORK_FLAG")->string(), "on");
    QCOMPARE(*environment.find("PYTHONPATH")->string(), QString(PICTAVIA_FAKE_BACKEND_DIR) + "/src");
    QCOMPARE(*environment.find("PYTHONDONTWRITEBYTECODE")->string(), "1");
    model.stop();
}

void BackendViewModelTest::nullPingResultLeavesConnectionUnchanged()
{
    FakeProject project;
    project.fake.addReply("ping", true);
    project.fake.addReply("ping", JSONValue());
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    QCoro::waitFor(model.ping());
    QVERIFY(model.isConnected());
    QCOMPARE(project.fake.receivedMethods().count("ping"), 2);
    model.stop();
}

void BackendViewModelTest::badModelListIsLoggedAndKept()
{
    FakeProject project;
    project.fake.addReply("list_models", JSONArray{ JSONObject{ { "id", "a" }, { "name", "A" } } });
    project.fake.addReply("list_models", JSONArray{ JSONObject{ { "id", "b" }, { "default_steps", 4.0 } } });
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_COMPARE(model.availableModels().size(), 1);
    LogCapture log;
    QCoro::waitFor(model.listModels());
    QCOMPARE(model.availableModels()[0].value("id"), "a");
    QCOMPARE(log.entries().size(), 1);
    QVERIFY(log.entries()[0].startsWith("[Backend] listModels failed: "));
    model.stop();
}

void BackendViewModelTest::interruptedGenerationFailsAndReconnectWorks_data()
{
    QTest::addColumn<bool>("backendDies");
    QTest::newRow("stopped by the user") << false;
    QTest::newRow("backend dies mid-request") << true;
}

void BackendViewModelTest::interruptedGenerationFailsAndReconnectWorks()
{
    QFETCH(bool, backendDies);
    FakeProject project;
    project.fake.addRule("generate_image", {backendDies ? JSONObject{{"exit", 9}} : JSONObject{{"sleep", 30.0}}});
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    QPointer<JSONRPCClient> first = model.client();
    auto generation = describe(&model, operations()["generateImage minimal"]);
    QVERIFY(model.isGenerating());
    if (!backendDies) {
        QTRY_VERIFY(project.fake.receivedMethods().contains("generate_image"));
        model.stop();
    }
    QCOMPARE(QCoro::waitFor(generation), "error: Python backend is not running.");
    QVERIFY(!model.isGenerating());
    // Reconnect
    model.stop();
    model.start();
    QVERIFY(model.client() && model.client() != first);
    QTRY_VERIFY(model.isConnected());
    QTRY_VERIFY(!first); // the old client is released
    QCOMPARE(project.fake.startCount(), 2);
    QCOMPARE(run(model, operations()["unloadModel"]), "ok");
    model.stop();
}

void BackendViewModelTest::sendsCatalogueParams_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("params"); // compact JSON with sorted keys, or "none"
    QTest::newRow("generate minimal") << "generateImage minimal"
                                      << "generate_image"
                                      << R"({"height":768,"prompt":"neon skyline","width":512})";
    QTest::newRow("generate full")
        << "generateImage full"
        << "generate_image"
        << R"({"aspect_ratio":"1:1","height":1024,"image_path":"/src.png","image_strength":0.6,)"
           R"("lora_paths":["/a.safetensors"],"lora_scales":[0.8],"model":"flux-dev",)"
           R"("negative_prompt":"blurry","prompt":"p","seed":42,"steps":20,"width":1024})";
    QTest::newRow("generate empty loras")
        << "generateImage empty loras"
        << "generate_image"
        << R"({"height":1024,"lora_paths":[],"lora_scales":[],"prompt":"p","width":1024})";
    QTest::newRow("upscale")
        << "upscaleImage"
        << "upscale_image"
        << R"({"image_path":"/a.png","method":"lanczos","target_height":3000,"target_width":3000})";
    QTest::newRow("refine") << "refinePrompt"
                            << "refine_prompt"
                            << R"({"rough_idea":"a sad robot"})";
    QTest::newRow("ask")
        << "askArtist"
        << "ask_artist"
        << R"({"auto_generate":true,"history":[{"content":"earlier","role":"user"}],"message":"hi"})";
    QTest::newRow("config") << "setConfig"
                            << "set_config"
                            << R"({"llm_provider":"ollama"})";
    QTest::newRow("system info") << "getSystemInfo"
                                 << "get_system_info"
                                 << "none";
    QTest::newRow("unload") << "unloadModel"
                            << "unload_model"
                            << "none";
    QTest::newRow("mcp") << "getMCPStatus"
                         << "mcp_status"
                         << "none";
    QTest::newRow("gallery") << "getGallery"
                             << "get_gallery"
                             << "none";
    QTest::newRow("gallery page") << "getGalleryPage"
                                  << "get_gallery"
                                  << R"({"limit":50,"offset":0})";
    QTest::newRow("delete") << "deleteArtwork"
                            << "delete_artwork"
                            << R"({"id":"x"})";
    QTest::newRow("update replaces id") << "updateArtwork"
                                        << "update_artwork"
                                        << R"({"favorite":true,"id":"x"})";
    QTest::newRow("image backend") << "setImageBackend"
                                   << "set_image_backend"
                                   << R"({"backend":"procedural"})";
    QTest::newRow("collections") << "getCollections"
                                 << "list_collections"
                                 << "none";
    QTest::newRow("add to collection") << "addToCollection"
                                       << "add_to_collection"
                                       << R"({"collection":"Album Covers","item_id":"x"})";
    QTest::newRow("remove from collection") << "removeFromCollection"
                                            << "remove_from_collection"
                                            << R"({"collection":"Album Covers","item_id":"x"})";
    QTest::newRow("disk") << "checkDiskSpace"
                          << "check_disk_space"
                          << "none";
    QTest::newRow("cancel") << "cancelGeneration"
                            << "cancel_generation"
                            << "none";
    QTest::newRow("cancel with id") << "cancelGeneration with id"
                                    << "cancel_generation"
                                    << R"({"request_id":"R1"})";
    QTest::newRow("batch delete keeps order") << "batchDeleteArtwork"
                                              << "gallery.batch_delete"
                                              << R"({"item_ids":["b","a"]})";
    QTest::newRow("batch tag") << "batchTagArtwork"
                               << "gallery.batch_tag"
                               << R"({"action":"add","item_ids":["a"],"tags":["moody"]})";
    QTest::newRow("batch rate") << "batchRateArtwork"
                                << "gallery.batch_rate"
                                << R"({"item_ids":["a","b"],"rating":4})";
    QTest::newRow("batch export") << "batchExportArtwork"
                                  << "gallery.batch_export"
                                  << R"({"format":"png","item_ids":["a"],"target_dir":"/out"})";
    QTest::newRow("templates") << "listTemplates"
                               << "list_templates"
                               << "none";
    QTest::newRow("templates by category") << "listTemplates album"
                                           << "list_templates"
                                           << R"({"category":"album"})";
    QTest::newRow("apply template") << "applyTemplate"
                                    << "apply_template"
                                    << R"({"template_id":"t1","values":{"genre":"synthwave"}})";
    QTest::newRow("composite without extras") << "compositeImage bare"
                                              << "composite_image"
                                              << R"({"image_path":"/a.png","layout":"track","title":""})";
    QTest::newRow("composite full")
        << "compositeImage full"
        << "composite_image"
        << R"({"album":"Drive","artist":"Ava","genre":"Synth","image_path":"/a.png","layout":"album","title":"Night"})";
}

void BackendViewModelTest::sendsCatalogueParams()
{
    QFETCH(QString, operation);
    QFETCH(QString, method);
    QFETCH(QString, params);
    FakeProject project;
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    run(model, operations()[operation]); // the echo reply may not fit the result; only the request matters
    const QList<JSONValue> requests = project.fake.receivedRequests();
    const JSONObject &request = *requests.last().object();
    QCOMPARE(*request.find("method")->string(), method);
    const JSONValue *sent = request.find("params");
    QCOMPARE(sent ? text(*sent) : QString("none"), params);
    model.stop();
}

void BackendViewModelTest::readsCatalogueResults_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("method");
    QTest::addColumn<JSONValue>("result");
    QTest::addColumn<QString>("expected");
    const JSONValue item = JSONObject{ { "id", "1" }, { "image_path", "/1.png" }, { "prompt", "p" },
        { "model", "m" }, { "width", 1.0 }, { "height", 1.0 }, { "created_at", "2025-03-14T09:26:53Z" } };
    QTest::newRow("page without total")
        << "getGalleryPage"
        << "get_gallery" << JSONValue(JSONObject{ { "items", JSONArray{ item } } })
        << "1 items, total 0, offset 0, limit 50";
    QTest::newRow("page counts truncated")
        << "getGalleryPage"
        << "get_gallery"
        << JSONValue(JSONObject{ { "items", JSONArray{} }, { "total_count", 120.9 }, { "offset", 50.0 } })
        << "0 items, total 120, offset 50, limit 50";
    QTest::newRow("page without items") << "getGalleryPage"
                                        << "get_gallery" << JSONValue(JSONObject{ { "total_count", 3.0 } })
                                        << "error: Invalid response from backend.";
    QTest::newRow("page with a broken item")
        << "getGalleryPage"
        << "get_gallery" << JSONValue(JSONObject{ { "items", JSONArray{ JSONObject{ { "id", "1" } } } } })
        << "error: Missing required key \"image_path\"";
    QTest::newRow("ask without text")
        << "askArtist"
        << "ask_artist" << JSONValue(JSONObject{ { "image_path", "/i.png" } }) << "No response.|/i.png|-";
    QTest::newRow("ask not an object")
        << "askArtist"
        << "ask_artist" << JSONValue("hello") << "error: Invalid response from backend.";
    QTest::newRow("refine number") << "refinePrompt"
                                   << "refine_prompt" << JSONValue(JSONObject{ { "refined_prompt", 3.0 } })
                                   << "error: Invalid response from backend.";
    QTest::newRow("generate without image_path")
        << "generateImage minimal"
        << "generate_image"
        << JSONValue(JSONObject{ { "prompt", "p" }, { "model", "m" }, { "width", 1.0 }, { "height", 1.0 } })
        << "error: Missing required key \"image_path\"";
    QTest::newRow("generate null result")
        << "generateImage minimal"
        << "generate_image" << JSONValue() << "error: Invalid response from backend.";
    QTest::newRow("templates as object") << "listTemplates"
                                         << "list_templates" << JSONValue(JSONObject{ { "a", 1.0 } }) << "0";
    QTest::newRow("templates skip non-objects")
        << "listTemplates"
        << "list_templates" << JSONValue(JSONArray{ JSONObject{ { "id", "t" } }, "x", 3.0 }) << "1";
    QTest::newRow("mcp defaults") << "getMCPStatus"
                                  << "mcp_status" << JSONValue(JSONObject{ { "available", "yes" } }) << "0|-";
    QTest::newRow("mcp values") << "getMCPStatus"
                                << "mcp_status"
                                << JSONValue(
                                       JSONObject{ { "available", true }, { "binary_path", "/bin/mcp" } })
                                << "1|/bin/mcp";
    QTest::newRow("collections") << "getCollections"
                                 << "list_collections"
                                 << JSONValue(JSONArray{
                                        JSONObject{ { "name", "Album Covers" }, { "count", 2.0 } } })
                                 << "Album Covers=2";
    QTest::newRow("disk status") << "checkDiskSpace"
                                 << "check_disk_space"
                                 << JSONValue(JSONObject{ { "free_gb", 12.5 }, { "total_gb", 500.0 },
                                        { "warning", true }, { "critical", false } })
                                 << R"({"critical":false,"free_gb":12.5,"total_gb":500,"warning":true})";
    QTest::newRow("ignored result") << "unloadModel"
                                    << "unload_model" << JSONValue() << "ok";
    QTest::newRow("composite path") << "compositeImage bare"
                                    << "composite_image"
                                    << JSONValue(JSONObject{ { "image_path", "/c.png" } }) << "/c.png";
    QTest::newRow("apply template prompt")
        << "applyTemplate"
        << "apply_template" << JSONValue(JSONObject{ { "prompt", "filled" } }) << "filled";
}

void BackendViewModelTest::readsCatalogueResults()
{
    QFETCH(QString, operation);
    QFETCH(QString, method);
    QFETCH(JSONValue, result);
    QFETCH(QString, expected);
    FakeProject project;
    project.fake.addReply(method, result);
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    QCOMPARE(run(model, operations()[operation]), expected);
    model.stop();
}

void BackendViewModelTest::busyFlagsClearOnEveryWayOut_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("fails");
    QTest::newRow("generate succeeds") << "generateImage minimal"
                                       << "generate_image" << false;
    QTest::newRow("generate fails") << "generateImage minimal"
                                    << "generate_image" << true;
    QTest::newRow("upscale fails") << "upscaleImage"
                                   << "upscale_image" << true;
    QTest::newRow("ask fails") << "askArtist"
                               << "ask_artist" << true;
    QTest::newRow("refine fails") << "refinePrompt"
                                  << "refine_prompt" << true;
}

void BackendViewModelTest::busyFlagsClearOnEveryWayOut()
{
    QFETCH(QString, operation);
    QFETCH(QString, method);
    QFETCH(bool, fails);
    FakeProject project;
    const QString progress
        = R"({"jsonrpc":"2.0","method":"progress","params":{"stage":"s","percent":50,"message":"Halfway"}})";
    const JSONValue ending = fails
        ? JSONValue(JSONObject{
            { "reply", JSONObject{ { "error", JSONObject{ { "code", -1.0 }, { "message", "no" } } } } } })
        : JSONValue(JSONObject{ { "reply",
            JSONObject{ { "result",
                JSONObject{ { "image_path", "/a.png" }, { "prompt", "p" }, { "model", "m" }, { "width", 1.0 },
                    { "height", 1.0 } } } } } });
    project.fake.addRule(
        method, { JSONObject{ { "raw", progress + "\n" } }, JSONObject{ { "sleep", 0.2 } }, ending });
    BackendViewModel model;
    project.attach(model);
    model.start();
    QTRY_VERIFY(model.isConnected());
    QSignalSpy generating(&model, &BackendViewModel::isGeneratingChanged);
    QSignalSpy thinking(&model, &BackendViewModel::isThinkingChanged);
    auto task = describe(&model, operations()[operation]);
    QVERIFY(model.isGenerating() || model.isThinking());
    QTRY_COMPARE(model.progressMessage(), operation.startsWith("refine") ? QString() : QString("Halfway"));
    const QString outcome = QCoro::waitFor(task);
    QCOMPARE(outcome.startsWith("error: Server error (-1): no"), fails);
    QVERIFY(!model.isGenerating());
    QVERIFY(!model.isThinking());
    QCOMPARE(generating.size() + thinking.size(), 2);
    model.stop();
}

QTEST_GUILESS_MAIN(BackendViewModelTest)
#include "tst_backendviewmodel.moc"
