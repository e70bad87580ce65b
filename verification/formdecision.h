#pragma once

#include <QString>

namespace vk7 {

class CCampBDArray;

// The twelve marks from which the form is decided, gathered from the keys of
// DATOS.ASC (999xxx) and INSTANCIA.ASC (781010, 780801 to 780804).
struct FormIndicators
{
    bool applicationPesetas = false;
    bool applicationEuros = false;
    bool dataPesetas = false;
    bool dataEuros = false;
    bool group1 = false;    // ordinary
    bool group2 = false;    // ordinary
    bool group4 = false;    // abbreviated
    bool group5 = false;    // abbreviated
    bool box780801 = false; // pairs with group 4
    bool box780802 = false; // pairs with group 1
    bool box780803 = false; // pairs with group 5
    bool box780804 = false; // pairs with group 2
};
FormIndicators GatherFormIndicators(const CCampBDArray &fields);

// Decides the form's name ("K7NP", "K7AP", "K7NE", "K7AE", "K7ME") from the
// store, without opening it. On failure formName is empty, formError holds
// the first rule broken and the result is false. byDataKeys is the selection
// mode "Por claves 999xxx"; otherwise the groups come from the boxes.
bool DecideFormName(const CCampBDArray &fields, bool byDataKeys, QString *formName,
                    QString *formError);

// "ORDINARIO"/"ABREVIADO"/"MIXTO" and "PESETAS"/"EUROS" from the last two
// letters of a form name; false (and both empty) for any other name.
bool FormAndCurrency(const QString &formName, QString *form, QString *currency);

} // namespace vk7
