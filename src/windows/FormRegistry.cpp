#include "FormRegistry.h"

#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/config/Fr.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/phonebook/Phonebook.h"

FormRegistry::FormRegistry(AppContext& context)
    : m_context(context)
{
}

FormRegistry::~FormRegistry()
{
    delete m_phonebook;
    delete m_form3;
    delete m_fr;
    delete m_form4;
    delete m_form2;
    delete m_form1;
}

template <class F> F& FormRegistry::touch(QPointer<F>& slot)
{
    if (!slot) {
        slot = new F(m_context);
        slot->Form_Load();
    }
    return *slot;
}

Form1& FormRegistry::form1()
{
    return touch(m_form1);
}

Form2& FormRegistry::form2()
{
    return touch(m_form2);
}

Form3& FormRegistry::form3()
{
    return touch(m_form3);
}

Form4& FormRegistry::form4()
{
    return touch(m_form4);
}

Fr& FormRegistry::fr()
{
    return touch(m_fr);
}

Phonebook& FormRegistry::phonebook()
{
    return touch(m_phonebook);
}

Form1* FormRegistry::loadedForm1() const
{
    return m_form1;
}

Form2* FormRegistry::loadedForm2() const
{
    return m_form2;
}

void FormRegistry::unload(Form& form)
{
    QPointer<Form> guard(&form);
    form.Form_Unload();
    if (!guard)
        return;
    if (&form == m_form1)
        m_form1 = nullptr;
    else if (&form == m_form2)
        m_form2 = nullptr;
    else if (&form == m_form3)
        m_form3 = nullptr;
    else if (&form == m_form4)
        m_form4 = nullptr;
    else if (&form == m_fr)
        m_fr = nullptr;
    else if (&form == m_phonebook)
        m_phonebook = nullptr;
    form.hide();
    form.deleteLater();
}
