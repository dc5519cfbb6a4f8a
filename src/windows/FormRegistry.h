#pragma once

#include <QPointer>

class AppContext;
class Form;
class Form1;
class Form2;
class Form3;
class Form4;
class Fr;
class Phonebook;

// Owns the program's windows. Touching a window creates it on first use (running its Form_Load)
// and keeps it while hidden; unloading destroys it, and the next touch creates it afresh.
class FormRegistry
{
public:
    explicit FormRegistry(AppContext& context);
    ~FormRegistry();

    FormRegistry(const FormRegistry&) = delete;
    FormRegistry& operator=(const FormRegistry&) = delete;

    Form1& form1(); // main window
    Form2& form2(); // configuration window
    Form3& form3(); // file locator
    Form4& form4(); // About box
    Fr& fr(); // software agreement
    Phonebook& phonebook(); // phone book editor

    // The window if it is loaded, without touching it.
    Form1* loadedForm1() const;
    Form2* loadedForm2() const;

    // Runs the window's Form_Unload, hides it and destroys it once the events under way are done,
    // so that a procedure still waiting on a modal window of its own can finish safely.
    void unload(Form& form);

private:
    template <class F> F& touch(QPointer<F>& slot);

    AppContext& m_context;
    QPointer<Form1> m_form1;
    QPointer<Form2> m_form2;
    QPointer<Form3> m_form3;
    QPointer<Form4> m_form4;
    QPointer<Fr> m_fr;
    QPointer<Phonebook> m_phonebook;
};
