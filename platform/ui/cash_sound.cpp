#include "platform/ui/cash_sound.h"

#include <QFile>
#include <QUrl>

#ifdef QUIDORA_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#endif

#include "platform/ui/ui_resources.h"

namespace quidora::ui {
namespace {

constexpr char kWaveResource[] = ":/quidora/sound/IDW_CASH_ADDED.wav";

}  // namespace

struct CashSound::Player {
#ifdef QUIDORA_HAVE_MULTIMEDIA
  QSoundEffect effect;
#endif
};

CashSound::CashSound(QObject* parent) : QObject(parent) {
  InitUiResources();
}

CashSound::~CashSound() = default;

bool CashSound::IsAudible() const {
#ifdef QUIDORA_HAVE_MULTIMEDIA
  // Without an output QSoundEffect warns and reports itself playing for ever.
  return !QMediaDevices::audioOutputs().isEmpty();
#else
  return false;
#endif
}

void CashSound::Play() {
  ++requests_;
  if (!IsAudible()) return;
#ifdef QUIDORA_HAVE_MULTIMEDIA
  if (player_ == nullptr) {
    player_ = std::make_unique<Player>();
    player_->effect.setSource(QUrl(QStringLiteral("qrc") + QString::fromLatin1(kWaveResource)));
  }
  player_->effect.play();
#endif
}

QByteArray CashSound::WaveData() {
  InitUiResources();
  QFile wave(QString::fromLatin1(kWaveResource));
  return wave.open(QIODevice::ReadOnly) ? wave.readAll() : QByteArray();
}

}  // namespace quidora::ui
