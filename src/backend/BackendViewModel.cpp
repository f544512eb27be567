#include "backend/BackendViewModel.h"

#include "backend/JSONReading.h"
#include "backend/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <QCoro/QCoroTimer>

using namespace JSONReading;

namespace {

constexpr double defaultTimeout = 10;
constexpr double longJobTimeout = 600;
constexpr double batchTimeout = 30;

// Clears a busy flag on every way out of an operation, if the model still exists.
template <typename Setter> auto clearOnExit(BackendViewModel *model, Setter setter)
{
    return qScopeGuard([model = QPointer(model), setter] {
        if (model)
            (model.data()->*setter)(false);
    });
}

JSONObject withMember(JSONObject object, const char *key, JSONValue value)
{
    object.insert(key, std::move(value));
    return object;
}

} // namespace

BackendViewModel::BackendViewModel(QObject *parent) : QObject(parent) { }

BackendViewModel::~BackendViewModel() = default;

QString BackendViewModel::projectRoot() const
{
    return resolveBackendProjectRoot(m_searchPaths.value_or(BackendSearchPaths::forRunningApplication()));
}

void BackendViewModel::start()
{
    const QString root = projectRoot();
    const QString python = root + u'/' + QString::fromLatin1(BackendLayout::interpreter);
    if (!QFileInfo::exists(python)) {
        appLog(QStringLiteral("[Backend] Python venv not found at ") + python);
        return;
    }

    QMap<QString, QString> environment{ { QStringLiteral("PYTHONPATH"), root + QStringLiteral("/src") } };
    QFile dotEnv(root + QStringLiteral("/.env"));
    if (dotEnv.open(QIODevice::ReadOnly)) {
        for (const auto &[key, value] : parseDotEnv(dotEnv.readAll()))
            environment.insert(key, value);
    }

    auto *client
        = new JSONRPCClient(python, QString::fromLatin1(BackendLayout::moduleName), environment, this);
    client->setProgressHandler([model = QPointer(this)](const ArtworkProgress &progress) {
        if (model)
            model->setProgress(progress.percent, progress.message);
    });
    try {
        client->start();
    } catch (const std::exception &error) {
        appLog(QStringLiteral("[Backend] Failed to start: ") + QString::fromUtf8(error.what()));
        delete client;
        return;
    }
    m_client = client;
    appLog(QStringLiteral("[Backend] Started"));
    checkConnectionAfterLaunch();
}

QCoro::Task<> BackendViewModel::checkConnectionAfterLaunch()
{
    QPointer self(this);
    co_await QCoro::sleepFor(m_launchCheckDelay);
    if (!self)
        co_return;
    co_await ping();
    if (!self)
        co_return;
    co_await listModels();
}

void BackendViewModel::stop()
{
    if (m_client) {
        if (m_client->isRunning())
            m_client->stop();
        // Deleted from the event loop: a caller may be inside code the client called.
        m_client->deleteLater();
    }
    m_client = nullptr;
    setConnected(false);
}

QCoro::Task<> BackendViewModel::ping()
{
    QPointer self(this);
    try {
        const RPCResponse response = co_await send(QStringLiteral("ping"), std::nullopt, defaultTimeout);
        if (self && response.result)
            self->setConnected(true);
    } catch (...) {
        if (self)
            self->setConnected(false);
    }
}

QCoro::Task<> BackendViewModel::listModels()
{
    QPointer self(this);
    try {
        const RPCResponse response
            = co_await send(QStringLiteral("list_models"), std::nullopt, defaultTimeout);
        if (!response.result)
            co_return;
        QList<ModelEntry> models = modelEntriesFromJSON(*response.result);
        if (self) {
            self->m_availableModels = std::move(models);
            emit self->availableModelsChanged();
        }
    } catch (const std::exception &error) {
        appLog(QStringLiteral("[Backend] listModels failed: ") + errorDescription(error));
    }
}

QCoro::Task<RPCResponse> BackendViewModel::send(
    QString method, std::optional<JSONValue> params, double timeout)
{
    if (!m_client)
        throw RPCClientError::processNotRunning();
    RPCResponse response = co_await m_client->send(method, std::move(params), timeout);
    co_return response;
}

QCoro::Task<JSONValue> BackendViewModel::sendForResult(
    QString method, std::optional<JSONValue> params, double timeout)
{
    RPCResponse response = co_await send(std::move(method), std::move(params), timeout);
    if (!response.result)
        throw RPCClientError::invalidResponse();
    co_return *response.result;
}

QCoro::Task<JSONObject> BackendViewModel::sendForObject(
    QString method, std::optional<JSONValue> params, double timeout)
{
    const JSONValue result = co_await sendForResult(std::move(method), std::move(params), timeout);
    const JSONObject *object = result.object();
    if (!object)
        throw RPCClientError::invalidResponse();
    co_return *object;
}

QCoro::Task<GenerationResultData> BackendViewModel::generateImage(GenerateImageRequest request)
{
    clearProgress();
    setGenerating(true);
    auto clear = clearOnExit(this, &BackendViewModel::setGenerating);
    const JSONValue result
        = co_await sendForResult(QStringLiteral("generate_image"), request.toParams(), longJobTimeout);
    co_return GenerationResultData::fromJSON(result);
}

QCoro::Task<UpscaleResultData> BackendViewModel::upscaleImage(
    QString imagePath, qint64 targetWidth, qint64 targetHeight, QString method)
{
    clearProgress();
    setGenerating(true);
    auto clear = clearOnExit(this, &BackendViewModel::setGenerating);
    JSONObject params{ { "image_path", imagePath }, { "target_width", double(targetWidth) },
        { "target_height", double(targetHeight) }, { "method", method } };
    const JSONValue result = co_await sendForResult(QStringLiteral("upscale_image"), params, longJobTimeout);
    co_return UpscaleResultData::fromJSON(result);
}

QCoro::Task<QString> BackendViewModel::refinePrompt(QString roughIdea)
{
    setThinking(true);
    auto clear = clearOnExit(this, &BackendViewModel::setThinking);
    const JSONObject params{ { "rough_idea", roughIdea } };
    const JSONObject result = co_await sendForObject(QStringLiteral("refine_prompt"), params, 120);
    const JSONValue *refined = result.find("refined_prompt");
    if (!refined || !refined->string())
        throw RPCClientError::invalidResponse();
    co_return *refined->string();
}

QCoro::Task<ArtistResponse> BackendViewModel::askArtist(
    QString message, QList<QMap<QString, QString>> history, bool autoGenerate)
{
    clearProgress();
    setThinking(true);
    auto clear = clearOnExit(this, &BackendViewModel::setThinking);
    JSONArray historyArray;
    for (const QMap<QString, QString> &entry : history) {
        JSONObject object;
        for (auto it = entry.begin(); it != entry.end(); ++it)
            object.insert(it.key(), it.value());
        historyArray.emplace_back(std::move(object));
    }
    const JSONObject params{ { "message", message }, { "history", JSONValue(std::move(historyArray)) },
        { "auto_generate", autoGenerate } };
    const JSONObject result = co_await sendForObject(QStringLiteral("ask_artist"), params, longJobTimeout);
    ArtistResponse response;
    const JSONValue *text = result.find("text");
    response.text = text && text->string() ? *text->string() : QStringLiteral("No response.");
    if (const JSONValue *path = result.find("image_path"); path && path->string())
        response.imagePath = *path->string();
    if (const JSONValue *model = result.find("model"); model && model->string())
        response.model = *model->string();
    co_return response;
}

QCoro::Task<> BackendViewModel::setConfig(JSONObject config)
{
    const JSONValue params(std::move(config));
    co_await send(QStringLiteral("set_config"), params, defaultTimeout);
}

QCoro::Task<JSONObject> BackendViewModel::getSystemInfo()
{
    JSONObject info = co_await sendForObject(QStringLiteral("get_system_info"), std::nullopt, defaultTimeout);
    co_return info;
}

QCoro::Task<> BackendViewModel::unloadModel()
{
    co_await send(QStringLiteral("unload_model"), std::nullopt, 30);
}

QCoro::Task<MCPStatus> BackendViewModel::getMCPStatus()
{
    const JSONObject result
        = co_await sendForObject(QStringLiteral("mcp_status"), std::nullopt, defaultTimeout);
    MCPStatus status;
    if (const JSONValue *available = result.find("available"); available && available->boolean())
        status.available = *available->boolean();
    if (const JSONValue *path = result.find("binary_path"); path && path->string())
        status.binaryPath = *path->string();
    co_return status;
}

QCoro::Task<QList<GalleryItemData>> BackendViewModel::getGallery()
{
    const JSONValue result
        = co_await sendForResult(QStringLiteral("get_gallery"), std::nullopt, defaultTimeout);
    co_return recordsFromJSON<GalleryItemData>(result);
}

QCoro::Task<GalleryPageResponse> BackendViewModel::getGalleryPage(qint64 offset, qint64 limit)
{
    const JSONObject params{ { "offset", double(offset) }, { "limit", double(limit) } };
    const JSONObject result = co_await sendForObject(QStringLiteral("get_gallery"), params, defaultTimeout);
    const JSONValue *items = result.find("items");
    if (!items)
        throw RPCClientError::invalidResponse();
    GalleryPageResponse page;
    page.items = ArtworkItem::listFromJSON(*items);
    page.totalCount = truncatedInteger(result, "total_count").value_or(0);
    page.offset = truncatedInteger(result, "offset").value_or(offset);
    page.limit = truncatedInteger(result, "limit").value_or(limit);
    co_return page;
}

QCoro::Task<> BackendViewModel::deleteArtwork(QString id)
{
    const JSONObject params{ { "id", id } };
    co_await send(QStringLiteral("delete_artwork"), params, defaultTimeout);
}

QCoro::Task<> BackendViewModel::updateArtwork(QString id, JSONObject updates)
{
    const JSONObject params = withMember(std::move(updates), "id", id);
    co_await send(QStringLiteral("update_artwork"), params, defaultTimeout);
}

QCoro::Task<> BackendViewModel::setImageBackend(QString backend)
{
    const JSONObject params{ { "backend", backend } };
    co_await send(QStringLiteral("set_image_backend"), params, defaultTimeout);
}

QCoro::Task<QList<Collection>> BackendViewModel::getCollections()
{
    const JSONValue result
        = co_await sendForResult(QStringLiteral("list_collections"), std::nullopt, defaultTimeout);
    co_return recordsFromJSON<Collection>(result);
}

QCoro::Task<> BackendViewModel::addToCollection(QString itemId, QString collection)
{
    const JSONObject params{ { "item_id", itemId }, { "collection", collection } };
    co_await send(QStringLiteral("add_to_collection"), params, defaultTimeout);
}

QCoro::Task<> BackendViewModel::removeFromCollection(QString itemId, QString collection)
{
    const JSONObject params{ { "item_id", itemId }, { "collection", collection } };
    co_await send(QStringLiteral("remove_from_collection"), params, defaultTimeout);
}

QCoro::Task<DiskStatus> BackendViewModel::checkDiskSpace()
{
    const JSONValue result
        = co_await sendForResult(QStringLiteral("check_disk_space"), std::nullopt, defaultTimeout);
    co_return DiskStatus::fromJSON(result);
}

QCoro::Task<> BackendViewModel::cancelGeneration(std::optional<QString> requestId)
{
    std::optional<JSONValue> params;
    if (requestId)
        params = JSONObject{ { "request_id", *requestId } };
    co_await send(QStringLiteral("cancel_generation"), std::move(params), defaultTimeout);
}

QCoro::Task<> BackendViewModel::batchDeleteArtwork(QStringList ids)
{
    const JSONObject params{ { "item_ids", stringArray(ids) } };
    co_await send(QStringLiteral("gallery.batch_delete"), params, batchTimeout);
}

QCoro::Task<> BackendViewModel::batchTagArtwork(QStringList ids, QStringList tags, QString action)
{
    const JSONObject params{ { "item_ids", stringArray(ids) }, { "tags", stringArray(tags) },
        { "action", action } };
    co_await send(QStringLiteral("gallery.batch_tag"), params, batchTimeout);
}

QCoro::Task<> BackendViewModel::batchRateArtwork(QStringList ids, qint64 rating)
{
    const JSONObject params{ { "item_ids", stringArray(ids) }, { "rating", double(rating) } };
    co_await send(QStringLiteral("gallery.batch_rate"), params, batchTimeout);
}

QCoro::Task<> BackendViewModel::batchExportArtwork(QStringList ids, QString targetDir, QString format)
{
    const JSONObject params{ { "item_ids", stringArray(ids) }, { "target_dir", targetDir },
        { "format", format } };
    co_await send(QStringLiteral("gallery.batch_export"), params, 120);
}

QCoro::Task<QList<JSONObject>> BackendViewModel::listTemplates(std::optional<QString> category)
{
    std::optional<JSONValue> params;
    if (category)
        params = JSONObject{ { "category", *category } };
    const RPCResponse response
        = co_await send(QStringLiteral("list_templates"), std::move(params), defaultTimeout);
    QList<JSONObject> templates;
    const JSONArray *array = response.result ? response.result->array() : nullptr;
    if (!array)
        co_return templates;
    for (const JSONValue &element : *array) {
        if (const JSONObject *object = element.object())
            templates.append(*object);
    }
    co_return templates;
}

QCoro::Task<QString> BackendViewModel::applyTemplate(QString templateId, QMap<QString, QString> values)
{
    JSONObject valueObject;
    for (auto it = values.begin(); it != values.end(); ++it)
        valueObject.insert(it.key(), it.value());
    const JSONObject params{ { "template_id", templateId }, { "values", JSONValue(std::move(valueObject)) } };
    const JSONObject result
        = co_await sendForObject(QStringLiteral("apply_template"), params, defaultTimeout);
    const JSONValue *prompt = result.find("prompt");
    if (!prompt || !prompt->string())
        throw RPCClientError::invalidResponse();
    co_return *prompt->string();
}

QCoro::Task<QString> BackendViewModel::compositeImage(CompositeImageRequest request)
{
    const JSONObject result
        = co_await sendForObject(QStringLiteral("composite_image"), request.toParams(), batchTimeout);
    const JSONValue *path = result.find("image_path");
    if (!path || !path->string())
        throw RPCClientError::invalidResponse();
    co_return *path->string();
}

void BackendViewModel::setConnected(bool connected)
{
    if (m_isConnected == connected)
        return;
    m_isConnected = connected;
    emit isConnectedChanged(connected);
}

void BackendViewModel::setProgress(double percent, const QString &message)
{
    if (m_progressPercent != percent) {
        m_progressPercent = percent;
        emit progressPercentChanged(percent);
    }
    if (m_progressMessage != message) {
        m_progressMessage = message;
        emit progressMessageChanged(message);
    }
}

void BackendViewModel::setGenerating(bool generating)
{
    if (m_isGenerating == generating)
        return;
    m_isGenerating = generating;
    emit isGeneratingChanged(generating);
}

void BackendViewModel::setThinking(bool thinking)
{
    if (m_isThinking == thinking)
        return;
    m_isThinking = thinking;
    emit isThinkingChanged(thinking);
}
