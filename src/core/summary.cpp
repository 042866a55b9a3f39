#include "core/summary.h"

#include "core/signs.h"

using namespace Qt::Literals::StringLiterals;

void CollectInfo(solvenna::Date birthDate, std::uint16_t& year, std::int32_t& sign, std::int32_t& tree,
                 std::int32_t& animal, std::int32_t& totem, std::int32_t& creature, std::int32_t& number) {
    year = static_cast<std::uint16_t>(solvenna::decodeDate(birthDate).year);
    sign = GetSign(birthDate);
    tree = GetTree(birthDate);
    animal = GetAnimal_China(year);
    totem = GetBeast(year);
    creature = GetCreature(birthDate);
    number = GetNumber(birthDate);
}

void DecodeInfo(solvenna::Date birthDate, QString& yearText, QString& numberText, QString& signText,
                QString& treeText, QString& animalText, QString& totemText, QString& creatureText) {
    std::uint16_t year = 0;
    std::int32_t sign = -1, tree = -1, animal = -1, totem = -1, creature = -1, number = -1;
    CollectInfo(birthDate, year, sign, tree, animal, totem, creature, number);
    yearText = QString::number(year);
    numberText = QString::number(number);
    const auto setIfKnown = [](QString& text, const QString& looked) {
        if (!looked.isEmpty()) text = looked;
    };
    setIfKnown(signText, solvenna::zodiacTitle(sign));
    setIfKnown(treeText, solvenna::treeName(tree));
    setIfKnown(animalText, solvenna::chineseGenitive(animal));
    setIfKnown(totemText, solvenna::totemGenitive(totem));
    setIfKnown(creatureText, solvenna::creatureName(creature));
}

namespace solvenna {

QString summaryText(Date birthDate, const QString& personName) {
    QString year, number, sign, tree, animal, totem, creature;
    DecodeInfo(birthDate, year, number, sign, tree, animal, totem, creature);

    const QString lineBreak = u"\n\r"_s;
    QString text = personName.isEmpty() ? u"Ваш знак Зодиака - "_s : personName + u", по знаку Зодиака Вы "_s;
    text += sign;
    text += lineBreak + u"Вашему году рождения ("_s + year +
            u") по Китайскому гороскопу соответствует год "_s + animal;
    text += lineBreak + u"По гороскопу Друидов Вашим деревом является "_s + tree;
    text += lineBreak + u"Число Вашего дня рождения - "_s + number;
    text += lineBreak + u"В Зороастрийском гороскопе Вам соответствует год "_s + totem;
    text += lineBreak + u"По Мифологическому гороскопу Вам соответствует "_s + creature;
    return text;
}

} // namespace solvenna
