#ifndef GUI_CLASSABSTRACTGUI_H
#define GUI_CLASSABSTRACTGUI_H

// What every top-level window of the launcher offers: a single place where its content is built.
class CLASS_ABSTRACT_GUI
{
public:
    virtual ~CLASS_ABSTRACT_GUI() = default;

    // Builds the window's content; called once by the window's constructor.
    virtual void BuildGui() = 0;
};

#endif // GUI_CLASSABSTRACTGUI_H
