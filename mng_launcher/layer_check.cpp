// Linked with every unit of the back end and nothing of the widgets: it builds only while no back-end
// unit uses a window, a widget or a box.
int main()
{
    return 0;
}
