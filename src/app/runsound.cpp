#include "app/runsound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace vex {

SoundEffectPlayer::SoundEffectPlayer(QObject *parent)
    : QObject(parent)
{
}

QSoundEffect *SoundEffectPlayer::effectFor(const QString &wavPath)
{
    if (wavPath.isEmpty() || !QFileInfo(wavPath).isFile())
        return nullptr;
    QSoundEffect *&effect = m_effects[wavPath];
    if (!effect) {
        effect = new QSoundEffect(this);
        // The file is decoded in the background; a play() before it is ready
        // is remembered and carried out once it is.
        effect->setSource(QUrl::fromLocalFile(wavPath));
    }
    return effect;
}

void SoundEffectPlayer::play(const QString &wavPath)
{
    stop();
    m_current = effectFor(wavPath);
    if (m_current)
        m_current->play();
}

void SoundEffectPlayer::preload(const QString &wavPath)
{
    effectFor(wavPath);
}

void SoundEffectPlayer::stop()
{
    if (m_current)
        m_current->stop();
    m_current = nullptr;
}

void PlayRunSound(RunSoundPlayer &player, bool soundOn, const QString &wavPath)
{
    if (soundOn && !wavPath.isEmpty())
        player.play(wavPath);
}

} // namespace vex
