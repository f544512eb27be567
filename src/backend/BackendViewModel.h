#pragma once

#include "backend/BackendLocator.h"
#include "backend/BackendRecords.h"
#include "backend/RPCClient.h"

#include <QObject>
#include <QPointer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

// The application-wide model of the backend: finds and launches it, tracks the connection and
// the progress of long operations, and offers one coroutine per backend method. Operations
// throw RPCClientError or JSONError; ping() and listModels() never throw.
class BackendViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
    Q_PROPERTY(double progressPercent READ progressPercent NOTIFY progressPercentChanged)
    Q_PROPERTY(QString progressMessage READ progressMessage NOTIFY progressMessageChanged)
    Q_PROPERTY(bool isGenerating READ isGenerating NOTIFY isGeneratingChanged)
    Q_PROPERTY(bool isThinking READ isThinking NOTIFY isThinkingChanged)
    Q_PROPERTY(QList<ModelEntry> availableModels READ availableModels NOTIFY availableModelsChanged)

public:
    explicit BackendViewModel(QObject *parent = nullptr);
    ~BackendViewModel() override;

    bool isConnected() const { return m_isConnected; }
    double progressPercent() const { return m_progressPercent; }
    QString progressMessage() const { return m_progressMessage; }
    bool isGenerating() const { return m_isGenerating; }
    bool isThinking() const { return m_isThinking; }
    QList<ModelEntry> availableModels() const { return m_availableModels; }

    // Session. start() returns at once and reports problems in the log; Reconnect is stop()
    // followed by start().
    void start();
    void stop();
    QCoro::Task<> ping();
    QCoro::Task<> listModels();

    // Operations, one per backend method.
    QCoro::Task<GenerationResultData> generateImage(GenerateImageRequest request);
    QCoro::Task<UpscaleResultData> upscaleImage(QString imagePath, qint64 targetWidth,
                                                qint64 targetHeight, QString method);
    QCoro::Task<QString> refinePrompt(QString roughIdea);
    QCoro::Task<ArtistResponse> askArtist(QString message, QList<QMap<QString, QString>> history,
                                          bool autoGenerate);
    QCoro::Task<> setConfig(JSONObject config);
    QCoro::Task<JSONObject> getSystemInfo();
    QCoro::Task<> unloadModel();
    QCoro::Task<MCPStatus> getMCPStatus();
    QCoro::Task<QList<GalleryItemData>> getGallery();
    QCoro::Task<GalleryPageResponse> getGalleryPage(qint64 offset, qint64 limit);
    QCoro::Task<> deleteArtwork(QString id);
    QCoro::Task<> updateArtwork(QString id, JSONObject updates);
    QCoro::Task<> setImageBackend(QString backend);
    QCoro::Task<QList<Collection>> getCollections();
    QCoro::Task<> addToCollection(QString itemId, QString collection);
    QCoro::Task<> removeFromCollection(QString itemId, QString collection);
    QCoro::Task<DiskStatus> checkDiskSpace();
    QCoro::Task<> cancelGeneration(std::optional<QString> requestId = std::nullopt);
    QCoro::Task<> batchDeleteArtwork(QStringList ids);
    QCoro::Task<> batchTagArtwork(QStringList ids, QStringList tags, QString action);
    QCoro::Task<> batchRateArtwork(QStringList ids, qint64 rating);
    QCoro::Task<> batchExportArtwork(QStringList ids, QString targetDir, QString format);
    QCoro::Task<QList<JSONObject>> listTemplates(std::optional<QString> category = std::nullopt);
    QCoro::Task<QString> applyTemplate(QString templateId, QMap<QString, QString> values);
    QCoro::Task<QString> compositeImage(CompositeImageRequest request);

    // Seams for tests and tools.
    void setSearchPaths(BackendSearchPaths paths) { m_searchPaths = std::move(paths); }
    void setLaunchCheckDelay(std::chrono::milliseconds delay) { m_launchCheckDelay = delay; }
    QString projectRoot() const;
    JSONRPCClient *client() const { return m_client; }

signals:
    void isConnectedChanged(bool connected);
    void progressPercentChanged(double percent);
    void progressMessageChanged(const QString &message);
    void isGeneratingChanged(bool generating);
    void isThinkingChanged(bool thinking);
    void availableModelsChanged();

private:
    QCoro::Task<RPCResponse> send(QString method, std::optional<JSONValue> params, double timeout);
    QCoro::Task<JSONValue> sendForResult(QString method, std::optional<JSONValue> params,
                                         double timeout);
    QCoro::Task<JSONObject> sendForObject(QString method, std::optional<JSONValue> params,
                                          double timeout);
    QCoro::Task<> checkConnectionAfterLaunch();

    void setConnected(bool connected);
    void setProgress(double percent, const QString &message);
    void setGenerating(bool generating);
    void setThinking(bool thinking);
    void clearProgress() { setProgress(0, QString()); }

    bool m_isConnected = false;
    double m_progressPercent = 0;
    QString m_progressMessage;
    bool m_isGenerating = false;
    bool m_isThinking = false;
    QList<ModelEntry> m_availableModels;

    QPointer<JSONRPCClient> m_client;
    std::optional<BackendSearchPaths> m_searchPaths;
    std::chrono::milliseconds m_launchCheckDelay{500};
};
